#include "device/units.h"

#include <algorithm>
#include <cmath>

namespace krv::units {
namespace {

// Clamped in floating point first, so that no out-of-range double is ever cast to an integer.
long saturate(double value, long lowest, long highest) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<long>(std::clamp(value, double(lowest), double(highest)));
}

// The controller's millivolt-steps count for a voltage: 200 per volt, halves away from zero.
double millivoltSteps(double volts) {
    return roundHalfAway(volts / 5.0 * 1000.0);
}

} // namespace

double controllerVolts(double value, double scale) {
    return std::floor((value / 1000.0 * 5.0 + 0.0005) * 1000.0) / 1000.0 * scale;
}

double roundHalfAway(double value) {
    return std::round(value);
}

double mapCellVolts(uint8_t wire) {
    return controllerVolts(wire, 4.0);
}

uint8_t mapCellWire(double volts) {
    return static_cast<uint8_t>(saturate(std::trunc(millivoltSteps(volts) / 4.0), 0, 255));
}

double rowBreakVolts(int16_t wire) {
    return controllerVolts(wire, 3.0);
}

int16_t rowBreakWire(double volts) {
    return static_cast<int16_t>(saturate(std::trunc(millivoltSteps(volts) / 3.0), -32768, 32767));
}

double columnBreakRpm(uint8_t wire) {
    return wire * 100.0;
}

uint8_t columnBreakWire(double rpm) {
    return static_cast<uint8_t>(saturate(std::trunc(rpm / 100.0), 0, 255));
}

} // namespace krv::units
