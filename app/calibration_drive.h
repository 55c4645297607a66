#pragma once
// The calibration drive's own state while it runs: the readings it filed, each once, with the
// time the window saw it, and where the engine went in the last seconds. What it learned is its
// own until the fitter has the controller take it.

#include "calibration/calibration.h"
#include "device/diag.h"
#include "map/operating_trail.h"

#include <chrono>
#include <deque>
#include <functional>
#include <vector>

namespace krv {

class CCalibrationDrive {
public:
    using Clock = std::chrono::steady_clock;
    // The map cell (row-major) of an operating point.
    using CellOf = std::function<size_t(int rpm, double pump)>;

    // Forgets every reading of a drive before; times count from now.
    void start(Clock::time_point now = Clock::now());
    // A reading a refresh took, timed at that refresh; false when it was filed just before.
    bool add(const CDiag& reading, Clock::time_point now = Clock::now());
    // What the drive learned so far over the cells the map holds.
    CalibrationProposal proposal(const MapSnapshot& map) const;
    // The readings of the last kTrailSeconds, oldest first, aged from the newest.
    std::vector<TrailPoint> trail(const CellOf& cellOf) const;

private:
    struct Passed {
        double seconds;
        int rpm;
        double pump;
    };

    CalibrationAccumulator accumulator_;
    Clock::time_point started_;
    std::deque<Passed> recent_;
};

} // namespace krv
