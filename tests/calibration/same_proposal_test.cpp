// The golden rule of the calibration: the readings of a drive give the same proposal whether
// the live drive files them as its refreshes take them or they are read back from the log the
// recorder wrote of them, at the window's refresh period and the polling's rate.

#include "calibration/calibration.h"
#include "readings_log/readings_log.h"
#include "tests/support/polled_drive.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

TEST(CalibrationGolden, LiveDriveAndItsLogGiveTheSameProposal) {
    const MapSnapshot map = test::sampleMapSnapshot();
    const std::vector<test::PolledReading> polled = test::polledPetrolDrive(sim::PetrolDrive());

    // Live: the window's refresh, every 100 ms, takes every reading polled since the one before
    // (20 a second), timed at the refresh, as the recorder writes them.
    constexpr double kRefresh = 0.1;
    CalibrationAccumulator live;
    std::vector<test::PolledReading> recorded;
    size_t arrived = 0;
    for (double refresh = kRefresh; arrived < polled.size(); refresh += kRefresh) {
        for (; arrived < polled.size() && polled[arrived].seconds <= refresh; ++arrived) {
            live.add(calibrationSampleOf(polled[arrived].reading, refresh));
            recorded.push_back({refresh, polled[arrived].reading});
        }
    }

    const ReadingsLogRead read = parseReadingsLog(test::readingsLogOf(recorded));
    ASSERT_TRUE(read.ok()) << read.error;
    const CalibrationProposal fromLog = proposeCalibration(calibrationSamplesOf(*read.log), map);

    const CalibrationProposal fromLive = live.proposal(map);
    EXPECT_EQ(fromLive.summary.readings, static_cast<int>(polled.size()));
    EXPECT_GE(fromLive.summary.learned, 20);
    EXPECT_EQ(fromLive, fromLog);
}

} // namespace
} // namespace krv
