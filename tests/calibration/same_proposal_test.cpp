// The golden rule of the calibration: the readings of a drive give the same proposal whether
// the live drive files them as its refreshes see them or they are read back from the log the
// recorder wrote of them.

#include "calibration/calibration.h"
#include "readings_log/readings_log.h"
#include "tests/support/polled_drive.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

TEST(CalibrationGolden, LiveDriveAndItsLogGiveTheSameProposal) {
    const MapSnapshot map = test::sampleMapSnapshot();
    const std::vector<test::PolledReading> polled = test::polledPetrolDrive(sim::PetrolDrive());

    // Live: a refresh every 30 ms files the newest reading, often the one it filed before.
    CalibrationAccumulator live;
    size_t arrived = 0;
    for (double refresh = 0; refresh < polled.back().seconds + 0.03; refresh += 0.03) {
        while (arrived < polled.size() && polled[arrived].seconds <= refresh) {
            ++arrived;
        }
        const test::PolledReading& newest = polled[arrived - 1];
        live.add(calibrationSampleOf(newest.reading, newest.seconds));
    }

    const ReadingsLogRead read = parseReadingsLog(test::readingsLogOf(polled));
    ASSERT_TRUE(read.ok()) << read.error;
    const CalibrationProposal fromLog = proposeCalibration(calibrationSamplesOf(*read.log), map);

    const CalibrationProposal fromLive = live.proposal(map);
    EXPECT_EQ(fromLive.summary.readings, static_cast<int>(polled.size()));
    EXPECT_GE(fromLive.summary.learned, 20);
    EXPECT_EQ(fromLive, fromLog);
}

} // namespace
} // namespace krv
