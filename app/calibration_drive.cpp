#include "app/calibration_drive.h"

namespace krv {

void CCalibrationDrive::start(Clock::time_point now) {
    accumulator_ = CalibrationAccumulator();
    started_ = now;
}

bool CCalibrationDrive::add(const CDiag& reading, Clock::time_point now) {
    const std::chrono::duration<double> since = now - started_;
    return accumulator_.add(calibrationSampleOf(reading, since.count()));
}

CalibrationProposal CCalibrationDrive::proposal(const MapSnapshot& map) const {
    return accumulator_.proposal(map);
}

} // namespace krv
