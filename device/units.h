#pragma once
// Conversions between the controller's wire integers and the volts and rpm the tool keeps.
// Host-to-controller conversions saturate at the wire's range: a value the wire cannot carry
// must not reach the controller as an unrelated wrapped number.

#include <cstdint>

namespace krv::units {

// The controller's fixed-point reading of a raw value: value x 5 mV, cut to whole millivolts,
// times the field's scale (map cells 4, row break points and pump PWM 3).
double controllerVolts(double value, double scale);

// Halves away from zero, as the controller's tools round.
double roundHalfAway(double value);

double mapCellVolts(uint8_t wire);
uint8_t mapCellWire(double volts);

double rowBreakVolts(int16_t wire);
int16_t rowBreakWire(double volts);

double columnBreakRpm(uint8_t wire);
uint8_t columnBreakWire(double rpm);

} // namespace krv::units
