#include "app/calibration_drive.h"

namespace krv {

void CCalibrationDrive::start(Clock::time_point now) {
    accumulator_ = CalibrationAccumulator();
    started_ = now;
    recent_.clear();
}

bool CCalibrationDrive::add(const CDiag& reading, Clock::time_point now) {
    const std::chrono::duration<double> since = now - started_;
    const CalibrationSample sample = calibrationSampleOf(reading, since.count());
    if (!accumulator_.add(sample)) {
        return false;
    }
    recent_.push_back({sample.seconds, sample.rpm, sample.pump});
    while (recent_.front().seconds < sample.seconds - kTrailSeconds) {
        recent_.pop_front();
    }
    return true;
}

CalibrationProposal CCalibrationDrive::proposal(const MapSnapshot& map) const {
    return accumulator_.proposal(map);
}

std::vector<TrailPoint> CCalibrationDrive::trail(const CellOf& cellOf) const {
    std::vector<TrailPoint> points;
    for (const Passed& passed : recent_) {
        points.push_back(
            {cellOf(passed.rpm, passed.pump), recent_.back().seconds - passed.seconds});
    }
    return points;
}

} // namespace krv
