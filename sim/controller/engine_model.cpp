#include "sim/controller/engine_model.h"

#include "sim/controller/petrol_drive.h"

#include <algorithm>
#include <cmath>

namespace krv::sim {
namespace {

constexpr double kTopRpm = 4900;
constexpr double kCruiseRpm = 2600;
constexpr double kIdlePumpVolts = 0.5;
constexpr double kFullPumpVolts = 12.0;
constexpr double kIdleInputVolts = 0.8;
constexpr double kFullInputVolts = 4.2;

struct Phase {
    double rpm;
    double load; // 0..1
};

double blend(double from, double to, double fraction) {
    return from + (to - from) * fraction;
}

// Idle 0-2 s, acceleration 2-6 s, cruise 6-12 s, deceleration 12-16 s: short enough that a
// newcomer sees the operating point walk over the map within seconds of starting.
Phase phaseAt(double seconds) {
    const double t = std::fmod(std::max(seconds, 0.0), kCycleSeconds);
    if (t < 2) {
        return {kIdleRpm + 30 * std::sin(t * 3), 0.0};
    }
    if (t < 6) {
        const double f = (t - 2) / 4;
        return {blend(kIdleRpm, kTopRpm, f), f};
    }
    if (t < 12) {
        const double f = (t - 6) / 6;
        return {blend(kTopRpm, kCruiseRpm, std::min(1.0, f * 3)), 0.45 + 0.05 * std::sin(t)};
    }
    const double f = (t - 12) / 4;
    return {blend(kCruiseRpm, kIdleRpm, f), blend(0.45, 0.0, f)};
}

template <class Axis, class Value> int firstAbove(const Axis& axis, Value value, int unit) {
    for (int i = 0; i < static_cast<int>(axis.size()); ++i) {
        if (value < axis[i] * unit) {
            return i;
        }
    }
    return static_cast<int>(axis.size()) - 1;
}

void putWord(std::array<uint8_t, 18>& payload, int offset, uint16_t value) {
    payload[offset] = value & 0xFF;
    payload[offset + 1] = value >> 8;
}

} // namespace

double pumpVoltsAtLoad(double load) {
    return blend(kIdlePumpVolts, kFullPumpVolts, load);
}

double loadAtPumpVolts(double pumpVolts) {
    return (pumpVolts - kIdlePumpVolts) / (kFullPumpVolts - kIdlePumpVolts);
}

double inputVoltsAtPump(double pumpVolts) {
    return blend(kIdleInputVolts, kFullInputVolts, loadAtPumpVolts(pumpVolts));
}

EnginePoint enginePoint(double seconds) {
    const Phase phase = phaseAt(seconds);
    const double pumpVolts = pumpVoltsAtLoad(phase.load);
    return {phase.rpm, pumpVolts, inputVoltsAtPump(pumpVolts)};
}

int cellIndex(int rpm, int16_t pumpWire, const std::array<int16_t, 16>& rowAxis,
              const std::array<uint8_t, 15>& columnAxis) {
    return firstAbove(rowAxis, pumpWire, 1) * 15 + firstAbove(columnAxis, rpm, 100);
}

uint16_t rpmPeriod(double rpm) {
    return static_cast<uint16_t>(std::lround(7500000.0 / rpm));
}

int16_t pumpWire(double pumpVolts) {
    return static_cast<int16_t>(std::lround(pumpVolts / 0.015));
}

int decodedRpm(uint16_t period) {
    return static_cast<int>(std::lround(7500000 / period / 10.0)) * 10;
}

std::array<uint8_t, 18> readingsPayload(const EngineInputs& inputs) {
    const EnginePoint point =
        inputs.drive != nullptr ? inputs.drive->at(inputs.seconds) : enginePoint(inputs.seconds);
    const uint16_t period = rpmPeriod(point.rpm);
    const int16_t pumpRaw = pumpWire(point.pumpVolts);
    const auto inputRaw = static_cast<uint16_t>(std::lround(point.inputVolts * 200));
    uint16_t outputRaw = inputRaw;
    if (inputs.onGas) {
        // Looked up as the tool decodes the readings, so the output is the cell it highlights.
        const uint8_t cell = (*inputs.map)[cellIndex(decodedRpm(period), pumpRaw, *inputs.rowAxis,
                                                     *inputs.columnAxis)];
        // A learnt cell (volts = 0.02 x byte) replaces the input; an empty one passes it on.
        if (cell != 0) {
            outputRaw = static_cast<uint16_t>(cell * 4);
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
