#pragma once
// The calibration drive's own state while it runs: the readings it filed, each once, with the
// time the window saw it. What it learned is its own until the fitter has the controller take it.

#include "calibration/calibration.h"
#include "device/diag.h"

#include <chrono>

namespace krv {

class CCalibrationDrive {
public:
    using Clock = std::chrono::steady_clock;

    // Forgets every reading of a drive before; times count from now.
    void start(Clock::time_point now = Clock::now());
    // The newest reading of a refresh; false when the refresh before filed the same one.
    bool add(const CDiag& reading, Clock::time_point now = Clock::now());
    // What the drive learned so far over the cells the map holds.
    CalibrationProposal proposal(const MapSnapshot& map) const;

private:
    CalibrationAccumulator accumulator_;
    Clock::time_point started_;
};

} // namespace krv
