#pragma once
// Judges each reading as it arrives against the window of readings before it: whether the
// engine held steady and the input settled, or why not. Only the past decides, so a live drive
// and its log judge every reading alike.

#include "calibration/calibration_parameters.h"
#include "calibration/calibration_sample.h"
#include "calibration/rejection.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace krv {

class SteadyGate {
public:
    explicit SteadyGate(const CalibrationParameters& parameters);

    // Nothing when the reading counts for its cell. Readings come in time order; one going
    // back in time, or after a gap, starts the window afresh.
    std::optional<Rejection> judge(const CalibrationSample& sample);

private:
    struct Held {
        int64_t ms;
        int rpm;
        double pump;
        double input;
        bool inputValid; // not a dropout
    };

    std::optional<Rejection> judgeWindow(const Held& newest);
    void restart(int64_t ms);

    int64_t windowMs_;
    int64_t maxGapMs_;
    CalibrationParameters parameters_;
    std::deque<Held> window_;
    int64_t runStartMs_ = 0;
    std::vector<double> scratch_;
};

} // namespace krv
