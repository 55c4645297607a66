// The golden rule of the calibration: the readings of a drive give the same proposal whether
// the live drive files them as its refreshes see them or they are read back from the log the
// recorder wrote of them.

#include "calibration/calibration.h"
#include "device/readings_csv.h"
#include "readings_log/readings_log.h"
#include "sim/controller/petrol_drive.h"
#include "sim/controller/sample_map.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace krv {
namespace {

struct Stamped {
    double seconds;
    CDiag reading;
};

// The simulator's petrol drive (lag, overshoot, noise, dropouts, spikes) as polled every 50 ms.
std::vector<Stamped> polledDrive(const sim::MapAndAxes& axes) {
    const sim::PetrolDrive drive;
    std::vector<Stamped> polled;
    uint32_t number = 0;
    for (double t = 0; t < drive.seconds(); t += sim::kPollingSeconds) {
        CDiag reading;
        reading.raw =
            sim::readingsPayload({t, &axes.map, &axes.rowAxis, &axes.columnAxis, false, &drive});
        reading.sampleNumber = ++number;
        polled.push_back({t, reading});
    }
    return polled;
}

TEST(CalibrationGolden, LiveDriveAndItsLogGiveTheSameProposal) {
    const sim::MapAndAxes axes = sim::sampleMap();
    MapSnapshot map;
    map.cells = axes.map;
    map.rows = axes.rowAxis;
    map.columns = axes.columnAxis;
    const std::vector<Stamped> polled = polledDrive(axes);

    // Live: a refresh every 30 ms files the newest reading, often the one it filed before.
    CalibrationAccumulator live;
    size_t arrived = 0;
    for (double refresh = 0; refresh < polled.back().seconds + 0.03; refresh += 0.03) {
        while (arrived < polled.size() && polled[arrived].seconds <= refresh) {
            ++arrived;
        }
        const Stamped& newest = polled[arrived - 1];
        live.add(calibrationSampleOf(newest.reading, newest.seconds));
    }

    // The log of the same readings, read back.
    std::string text = readings_csv::header(std::chrono::system_clock::now(), 256);
    for (const Stamped& s : polled) {
        text += readings_csv::row(s.seconds, s.reading.sampleNumber, s.reading);
    }
    const ReadingsLogRead read = parseReadingsLog(text);
    ASSERT_TRUE(read.ok()) << read.error;
    const CalibrationProposal fromLog = proposeCalibration(calibrationSamplesOf(*read.log), map);

    const CalibrationProposal fromLive = live.proposal(map);
    EXPECT_EQ(fromLive.summary.readings, static_cast<int>(polled.size()));
    EXPECT_GE(fromLive.summary.learned, 20);
    EXPECT_EQ(fromLive, fromLog);
}

} // namespace
} // namespace krv
