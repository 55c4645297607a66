#pragma once
// A calibration drive on petrol as a fitter drives it: holds spread over the map, joined by
// ramps and by load steps, read through a sensor that lags, swings past a load step and is
// noisy, drops out now and then and picks up spikes. The drive repeats after its end.
// Everything follows from the options and the seed, so a drive can be driven again.

#include "sim/controller/engine_model.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace krv::sim {

struct DriveOptions {
    uint32_t seed = 1;
    double lagSeconds = 0.3;    // time constant of the input sensor's first-order lag
    double overshoot = 0.2;     // share of a load step's change the input swings past it
    double noiseVolts = 0.015;  // standard deviation of the input's noise
    double dropoutRate = 0.005; // share of readings at 0 V
    double spikeRate = 0.005;   // share of readings off by 0.2 to 1 V
};

// The overshoot is largest this long after a load step, and fades over a few times as long.
inline constexpr double kOvershootPeakSeconds = 0.4;
// A hold's first second is the engine settling; the rest is its steady part.
inline constexpr double kHoldSettleSeconds = 1.0;
inline constexpr double kPollingSeconds = 0.05;
// A cell counts as held when the steady parts of the holds kept it a second.
inline constexpr int kHeldPolls = 20;

struct DriveHold {
    double start = 0;
    double end = 0;
    double rpm = 0;
    double pumpVolts = 0;
};

// Per cell (row * 15 + column): the true input averaged over the polls of the holds' steady
// parts that fell there, and how many polls did.
struct IdealMap {
    std::array<double, 240> volts{};
    std::array<int, 240> polls{};

    bool held(size_t cell) const { return polls[cell] >= kHeldPolls; }
};

class PetrolDrive {
public:
    explicit PetrolDrive(const DriveOptions& options = {});

    double seconds() const { return seconds_; }
    const std::vector<DriveHold>& holds() const { return holds_; }

    // The readings of the moment; after the drive's end it starts again.
    EnginePoint at(double seconds) const;
    // The signal the ECU expects at the moment: no lag, overshoot, noise or faults.
    double trueInputAt(double seconds) const;

    IdealMap idealMap(const std::array<int16_t, 16>& rowAxis,
                      const std::array<uint8_t, 15>& columnAxis) const;

private:
    struct Tick {
        double rpm;
        double pumpVolts;
        double trueInput;
        double input;
    };

    size_t tickAt(double seconds) const;

    std::vector<DriveHold> holds_;
    std::vector<Tick> ticks_;
    double seconds_ = 0;
};

// The input an engine gives at an operating point: mostly load, a little speed.
double petrolInputVolts(double rpm, double pumpVolts);

} // namespace krv::sim
