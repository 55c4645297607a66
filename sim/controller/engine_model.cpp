#include "sim/controller/engine_model.h"

#include <algorithm>
#include <cmath>

namespace krv::sim {
namespace {

constexpr double kIdleRpm = 750;
constexpr double kTopRpm = 4900;
constexpr double kCruiseRpm = 2600;

// Load 0..1 along the cycle: idle 0-5 s, acceleration 5-9 s, cruise 9-15 s, deceleration 15-20 s.
struct Phase {
    double rpm;
    double load;
};

double blend(double from, double to, double fraction) {
    return from + (to - from) * fraction;
}

Phase phaseAt(double seconds) {
    const double t = std::fmod(std::max(seconds, 0.0), kCycleSeconds);
    if (t < 5) {
        return {kIdleRpm + 30 * std::sin(t * 3), 0.0};
    }
    if (t < 9) {
        const double f = (t - 5) / 4;
        return {blend(kIdleRpm, kTopRpm, f), f};
    }
    if (t < 15) {
        const double f = (t - 9) / 6;
        return {blend(kTopRpm, kCruiseRpm, std::min(1.0, f * 3)), 0.45 + 0.05 * std::sin(t)};
    }
    const double f = (t - 15) / 5;
    return {blend(kCruiseRpm, kIdleRpm, f), blend(0.45, 0.0, f)};
}

// Index of the last break point at or below the value (0 below the first).
template <class Axis> int axisIndex(const Axis& axis, double value, double unit) {
    int index = 0;
    for (int i = 0; i < static_cast<int>(axis.size()); ++i) {
        if (axis[i] * unit <= value) {
            index = i;
        }
    }
    return index;
}

void putWord(std::array<uint8_t, 18>& payload, int offset, uint16_t value) {
    payload[offset] = value & 0xFF;
    payload[offset + 1] = value >> 8;
}

} // namespace

EnginePoint enginePoint(double seconds) {
    const Phase phase = phaseAt(seconds);
    return {phase.rpm, 0.5 + 11.5 * phase.load, 0.6 + 3.6 * phase.load};
}

std::array<uint8_t, 18> readingsPayload(const EngineInputs& inputs) {
    const EnginePoint point = enginePoint(inputs.seconds);
    const auto period = static_cast<uint16_t>(std::lround(7500000.0 / point.rpm));
    const auto pumpRaw = static_cast<int16_t>(std::lround(point.pumpVolts / 0.015));
    const auto inputRaw = static_cast<uint16_t>(std::lround(point.inputVolts * 200));
    uint16_t outputRaw = inputRaw;
    if (inputs.onGas) {
        const int row = axisIndex(*inputs.rowAxis, point.pumpVolts, 0.015);
        const int column = axisIndex(*inputs.columnAxis, point.rpm, 100.0);
        const uint8_t cell = (*inputs.map)[row * 15 + column];
        // A learnt cell (volts = 0.02 x byte) replaces the input; an empty one passes it on.
        if (cell != 0) {
            outputRaw = static_cast<uint16_t>(std::lround(cell * 0.02 * 200));
        }
    }
    std::array<uint8_t, 18> payload{};
    putWord(payload, 0, period);
    putWord(payload, 2, static_cast<uint16_t>(pumpRaw));
    putWord(payload, 12, inputRaw);
    putWord(payload, 14, outputRaw);
    payload[16] = inputs.onGas ? 3 : 2;
    return payload;
}

} // namespace krv::sim
