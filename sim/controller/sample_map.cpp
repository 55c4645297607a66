#include "sim/controller/sample_map.h"

#include "sim/controller/engine_model.h"

#include <algorithm>
#include <cmath>

namespace krv::sim {
namespace {

constexpr double kRowStepVolts = 0.75; // 0.75 ... 12.00 V
constexpr double kTopRpm = 5000;

// The correction at a cell's centre: 0.1 V at idle up to 0.6 V at full load and top speed.
double correctionVolts(double pumpVolts, double rpm) {
    return 0.1 + 0.3 * std::clamp(pumpVolts / 12.0, 0.0, 1.0) +
           0.2 * std::clamp(rpm / kTopRpm, 0.0, 1.0);
}

} // namespace

MapAndAxes sampleMap() {
    MapAndAxes sample;
    for (int r = 0; r < 16; ++r) {
        sample.rowAxis[r] = static_cast<int16_t>(std::lround(kRowStepVolts * (r + 1) / 0.015));
    }
    for (int c = 0; c < 15; ++c) {
        sample.columnAxis[c] = static_cast<uint8_t>(5 + 3 * c); // 500 ... 4700 rpm
    }
    for (int r = 0; r < 16; ++r) {
        // A cell holds the points below its break points and at or above the previous ones.
        const double pumpVolts = kRowStepVolts * (r + 0.5);
        for (int c = 0; c < 15; ++c) {
            const double lowerRpm = c == 0 ? 0.0 : sample.columnAxis[c - 1] * 100.0;
            const double rpm = (lowerRpm + sample.columnAxis[c] * 100.0) / 2;
            const double volts = inputVoltsAtPump(pumpVolts) + correctionVolts(pumpVolts, rpm);
            sample.map[r * 15 + c] = static_cast<uint8_t>(std::lround(std::min(volts, 5.0) / 0.02));
        }
    }
    return sample;
}

} // namespace krv::sim
