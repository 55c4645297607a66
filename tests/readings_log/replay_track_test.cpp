// Walking a readings log in a replay: the cursor by steps, by time and by playing, clamped to the
// log; the trail's first reading; the time spent in each cell, with lost links and stalls of the
// recording left out; markers added at the cursor and kept in a file beside the log.

#include "readings_log/log_markers.h"
#include "readings_log/replay_track.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

ReadingsLog logAt(std::vector<double> seconds, std::vector<LogGap> gaps = {}) {
    ReadingsLog log;
    uint32_t sample = 0;
    for (const double time : seconds) {
        log.readings.push_back({time, ++sample, 1000, 1, 1, 1, false});
    }
    log.gaps = std::move(gaps);
    return log;
}

TEST(ReplayTrack, CursorMovesByStepsAndTimeWithinTheLog) {
    CReplayTrack track(logAt({0.0, 0.1, 0.2, 0.3, 0.4}));
    struct Case {
        long step;
        size_t expected;
    };
    for (const Case& c : {Case{2, 2}, Case{10, 4}, Case{-1, 3}, Case{-10, 0}}) {
        track.step(c.step);
        EXPECT_EQ(track.cursor(), c.expected) << c.step;
    }
    struct TimeCase {
        double seconds;
        size_t expected;
    };
    for (const TimeCase& c :
         {TimeCase{0.25, 2}, TimeCase{0.3, 3}, TimeCase{-5, 0}, TimeCase{9, 4}}) {
        track.moveToSeconds(c.seconds);
        EXPECT_EQ(track.cursor(), c.expected) << c.seconds;
    }
}

TEST(ReplayTrack, PlayingAddsUpShortTicksUntilTheEnd) {
    CReplayTrack track(logAt({0.0, 0.1, 0.2, 0.3}));
    // Ticks shorter than a reading's spacing still move on once they add up.
    EXPECT_TRUE(track.play(0.06));
    EXPECT_EQ(track.cursor(), 0u);
    EXPECT_TRUE(track.play(0.06));
    EXPECT_EQ(track.cursor(), 1u);
    EXPECT_FALSE(track.play(1.0));
    EXPECT_TRUE(track.atEnd());
    // A step puts playing at that reading.
    track.moveTo(1);
    EXPECT_TRUE(track.play(0.05));
    EXPECT_EQ(track.cursor(), 1u);
}

TEST(ReplayTrack, TrailStartsAtTheFirstReadingOfItsSeconds) {
    CReplayTrack track(logAt({0.0, 1.0, 2.0, 3.0, 4.0, 5.0}));
    track.moveTo(5);
    EXPECT_EQ(track.trailStart(2.0), 3u);
    EXPECT_EQ(track.trailStart(100), 0u);
    track.moveTo(0);
    EXPECT_EQ(track.trailStart(2.0), 0u);
}

TEST(ReplayTrack, DwellLeavesOutLostLinksAndStalls) {
    // Cells: 0 0 1 | link lost | 1 2, then a stall of 30 s in cell 2.
    const ReadingsLog log = logAt({0.0, 0.1, 0.2, 0.3, 2.0, 2.1, 32.1}, {{0.35, 2.0}});
    const std::vector<int> cells{0, 0, 1, 1, 1, 2, 2};
    const std::vector<double> dwell = dwellSeconds(log, cells, 3, 1.0);
    ASSERT_EQ(dwell.size(), 3u);
    EXPECT_NEAR(dwell[0], 0.2, 1e-9);
    EXPECT_NEAR(dwell[1], 0.1 + 0.1, 1e-9); // 0.2-0.3 and 2.0-2.1; not 0.3-2.0
    EXPECT_NEAR(dwell[2], 1.0, 1e-9);       // the stall counts as one second
    // A cell number outside the grid is left out, not written past the end.
    EXPECT_NO_THROW(dwellSeconds(log, {5, -1, 0, 0, 0, 0, 0}, 3, 1.0));
}

TEST(ReplayTrack, AddedMarkersTakeTheNextNumberAndStayInTimeOrder) {
    ReadingsLog log = logAt({0.0, 0.1, 0.2, 0.3, 0.4});
    log.markers = {{1, 0.15}, {4, 0.35}};
    CReplayTrack track(std::move(log));
    track.moveTo(3);
    EXPECT_EQ(track.addMarkerAtCursor().number, 5);
    track.moveTo(0);
    const LogMarker& first = track.addMarkerAtCursor();
    EXPECT_EQ(first.number, 6);
    EXPECT_EQ(first.seconds, 0.0);
    std::vector<std::pair<int, double>> held;
    for (const LogMarker& marker : track.log().markers) {
        held.emplace_back(marker.number, marker.seconds);
    }
    EXPECT_EQ(held,
              (std::vector<std::pair<int, double>>{{6, 0.0}, {1, 0.15}, {5, 0.3}, {4, 0.35}}));
}

TEST(LogMarkers, FileBesideTheLogReadsBackAndKeepsTheLogsOwn) {
    const std::vector<LogMarker> written{{2, 12.5}, {3, 0.25}};
    const std::string text = formatMarkers(written);
    EXPECT_EQ(text, "# marker 2 at 12.500 s\n# marker 3 at 0.250 s\n");
    const std::vector<LogMarker> read = parseMarkers(
        "# marker 2 at 12.500 s\r\nrubbish\n# marker x at 1.000 s\n# marker 0 at 1.000 s\n"
        "# marker 4 at -1.000 s\n# link lost at 3.000 s\n# marker 3 at 0.250 s");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].number, 2);
    EXPECT_EQ(read[0].seconds, 12.5);
    EXPECT_EQ(read[1].number, 3);
    EXPECT_EQ(read[1].seconds, 0.25);

    std::vector<LogMarker> log{{1, 5.0}, {2, 7.0}}; // the log's own marker 2 wins
    mergeMarkers(log, read);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].number, 3);
    EXPECT_EQ(log[1].number, 1);
    EXPECT_EQ(log[2].number, 2);
    EXPECT_EQ(log[2].seconds, 7.0);
    EXPECT_EQ(markersFilePath("/logs/drive.csv"), "/logs/drive.csv.markers");
}

} // namespace
} // namespace krv
