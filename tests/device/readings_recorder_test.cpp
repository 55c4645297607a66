// The readings recorder shared by krv-cli log and the window's recording: only what arrives
// after it starts, every sample once, numbered on across a lost link, the gap marked.

#include "device/readings_recorder.h"
#include "tests/device/readings_record.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace krv {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        all.push_back(line);
    }
    return all;
}

CDiag sample(uint32_t number, uint16_t input) {
    return test::readingsRecord(3400, 211, input, 407, 3, number);
}

TEST(ReadingsRecorder, RecordsEverySampleFromItsStartOnceAcrossALostLink) {
    CDiagData store;
    for (uint32_t n = 1; n <= 3; ++n) {
        store.pushSample(sample(n, 100)); // history from before the recording
    }
    std::ostringstream out;
    const auto start = CReadingsRecorder::Clock::now();
    CReadingsRecorder recorder(out, store, 256, start);
    store.pushSample(sample(4, 200));
    store.pushSample(sample(5, 300));
    recorder.update(true, start + 250ms);
    recorder.update(true, start + 300ms); // nothing new: nothing written twice

    // The polling thread gives up: it empties the store, then the link reads lost.
    store.clearSamples();
    recorder.update(false, start + 4s);
    // A new thread after the reconnect numbers its samples from 1 again.
    store.pushSample(sample(1, 400));
    // Seen before the link reads back up: it waits, so no row stands between lost and back.
    recorder.update(false, start + 5s);
    recorder.update(true, start + 6500ms);
    store.pushSample(sample(2, 500));
    recorder.update(true, start + 6550ms);

    const std::vector<std::string> written = lines(out.str());
    ASSERT_EQ(written.size(), 4U + 6U) << out.str();
    EXPECT_EQ(written[2], "# firmware version,256");
    const std::vector<std::string> expected{
        "0.250,1,2210,1.000,2.035,3.165,1", "0.250,2,2210,1.500,2.035,3.165,1",
        "# link lost at 4.000 s",           "# link back at 6.500 s",
        "6.500,3,2210,2.000,2.035,3.165,1", "6.550,4,2210,2.500,2.035,3.165,1",
    };
    EXPECT_EQ(std::vector<std::string>(written.begin() + 4, written.end()), expected);
    EXPECT_EQ(recorder.rowsWritten(), 4U);
}

// A stop and start of the polling (a firmware update) restarts the numbers without a lost
// link in between.
TEST(ReadingsRecorder, FollowsAPollingRestartWithoutALostLink) {
    CDiagData store;
    std::ostringstream out;
    CReadingsRecorder recorder(out, store, 256);
    for (uint32_t n = 1; n <= 40; ++n) {
        store.pushSample(sample(n, 100));
    }
    recorder.update(true);
    store.clearSamples();
    store.pushSample(sample(1, 600));
    store.pushSample(sample(2, 700));
    recorder.update(true);
    EXPECT_EQ(recorder.rowsWritten(), 42U);
    EXPECT_NE(out.str().find(",42,2210,3.500,"), std::string::npos);
}

// A marker goes after every sample that arrived before it was set, at its own moment, and is in
// the file at once (a recording cut short by a crash keeps it).
TEST(ReadingsRecorder, MarkersAreNumberedAndFollowTheSamplesBeforeThem) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "drive.csv").string();
    std::ofstream out(path);
    CDiagData store;
    const auto start = CReadingsRecorder::Clock::now();
    CReadingsRecorder recorder(out, store, 256, start);
    store.pushSample(sample(1, 100));
    recorder.update(true, start + 100ms);
    store.pushSample(sample(2, 200));
    EXPECT_EQ(recorder.addMarker(start + 130ms), 1);
    EXPECT_EQ(recorder.addMarker(start + 1500ms), 2); // nothing new arrived in between
    EXPECT_TRUE(test::fileContents(path).ends_with("# marker 2 at 1.500 s\n"));
    store.pushSample(sample(3, 300));
    recorder.update(true, start + 1600ms);

    const std::string text = test::fileContents(path);
    const std::vector<std::string> written = lines(text);
    const std::vector<std::string> expected{
        "0.100,1,2210,0.500,2.035,3.165,1",
        "0.130,2,2210,1.000,2.035,3.165,1",
        "# marker 1 at 0.130 s",
        "# marker 2 at 1.500 s",
        "1.600,3,2210,1.500,2.035,3.165,1",
    };
    ASSERT_EQ(written.size(), 4U + expected.size()) << text;
    EXPECT_EQ(std::vector<std::string>(written.begin() + 4, written.end()), expected);
}

} // namespace
} // namespace krv
