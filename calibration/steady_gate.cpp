#include "calibration/steady_gate.h"

#include <algorithm>
#include <cmath>

namespace krv {

namespace {

constexpr double kDeviationsPerMad = 1.4826; // a normal distribution's sigma over its MAD

int64_t milliseconds(double seconds) {
    return std::llround(seconds * 1000.0);
}

// The median of values; reorders them.
double medianOf(std::vector<double>& values) {
    const size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(half), values.end());
    const double upper = values[half];
    if (values.size() % 2 != 0) {
        return upper;
    }
    return (*std::max_element(values.begin(), values.begin() + static_cast<long>(half)) + upper) /
           2.0;
}

} // namespace

SteadyGate::SteadyGate(const CalibrationParameters& parameters)
    : windowMs_(milliseconds(parameters.windowSeconds)),
      maxGapMs_(milliseconds(parameters.maxGapSeconds)), parameters_(parameters) {}

void SteadyGate::restart(int64_t ms) {
    window_.clear();
    runStartMs_ = ms;
}

std::optional<Rejection> SteadyGate::judge(const CalibrationSample& sample) {
    const Held newest{milliseconds(sample.seconds), sample.rpm, sample.pump, sample.input,
                      sample.input > parameters_.dropoutVolts};
    if (sample.working) {
        // Back on petrol the input must settle again before anything counts.
        restart(newest.ms);
        return Rejection::OnGas;
    }
    if (window_.empty() || newest.ms < window_.back().ms ||
        newest.ms - window_.back().ms > maxGapMs_) {
        restart(newest.ms);
    }
    window_.push_back(newest);
    while (window_.front().ms < newest.ms - windowMs_) {
        window_.pop_front();
    }
    if (!newest.inputValid) {
        return Rejection::Dropout;
    }
    if (newest.rpm <= 0) {
        return Rejection::EngineStopped;
    }
    return judgeWindow(newest);
}

std::optional<Rejection> SteadyGate::judgeWindow(const Held& newest) {
    if (runStartMs_ > newest.ms - windowMs_) {
        return Rejection::ShortHistory;
    }
    const auto [rpmLow, rpmHigh] = std::ranges::minmax(window_, {}, &Held::rpm);
    if (rpmHigh.rpm - rpmLow.rpm > parameters_.maxRpmChange) {
        return Rejection::EngineSpeedChanging;
    }
    const auto [pumpLow, pumpHigh] = std::ranges::minmax(window_, {}, &Held::pump);
    if (pumpHigh.pump - pumpLow.pump > parameters_.maxPumpChange) {
        return Rejection::LoadChanging;
    }
    // The slope from the halves' medians: a spike or a dropout in the window does not tilt it.
    const int64_t middleMs = newest.ms - windowMs_ / 2;
    const auto halfMedian = [&](bool later) -> std::optional<double> {
        scratch_.clear();
        for (const Held& held : window_) {
            if (held.inputValid && (held.ms >= middleMs) == later) {
                scratch_.push_back(held.input);
            }
        }
        if (scratch_.empty()) {
            return std::nullopt;
        }
        return medianOf(scratch_);
    };
    const std::optional<double> earlier = halfMedian(false);
    const std::optional<double> later = halfMedian(true);
    if (!earlier || !later) {
        return Rejection::ShortHistory;
    }
    const double halfWindowSeconds = static_cast<double>(windowMs_) / 2000.0;
    if (std::abs(*later - *earlier) / halfWindowSeconds > parameters_.maxInputSlope) {
        return Rejection::InputSettling;
    }
    scratch_.clear();
    for (const Held& held : window_) {
        if (held.inputValid) {
            scratch_.push_back(held.input);
        }
    }
    const double median = medianOf(scratch_);
    for (double& value : scratch_) {
        value = std::abs(value - median);
    }
    const double tolerance =
        std::max(parameters_.outlierFloorVolts,
                 parameters_.outlierDeviations * kDeviationsPerMad * medianOf(scratch_));
    if (std::abs(newest.input - median) > tolerance) {
        return Rejection::Outlier;
    }
    return std::nullopt;
}

} // namespace krv
