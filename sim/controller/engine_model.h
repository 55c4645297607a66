#pragma once
// A small engine that drives the controller's readings through a repeating drive: idle,
// acceleration, cruise, deceleration. Values are in the controller's raw units.

#include <array>
#include <cstdint>

namespace krv::sim {

class PetrolDrive;

struct EngineInputs {
    double seconds = 0;                  // time since the controller started
    const std::array<uint8_t, 240>* map; // correction map, bytes
    const std::array<int16_t, 16>* rowAxis;
    const std::array<uint8_t, 15>* columnAxis;
    bool onGas = false;
    const PetrolDrive* drive = nullptr; // drives the engine instead of the repeating cycle
};

struct EnginePoint {
    double rpm = 0;
    double pumpVolts = 0;  // 0.5 to 12 V
    double inputVolts = 0; // follows the load
};

// One drive cycle of kCycleSeconds; it starts with the engine idling.
inline constexpr double kCycleSeconds = 16.0;

EnginePoint enginePoint(double seconds);
// Engine speed at idle; pump PWM for a load of 0 (idle) to 1 (full), and back.
inline constexpr double kIdleRpm = 750;
double pumpVoltsAtLoad(double load);
double loadAtPumpVolts(double pumpVolts);
// The input voltage the engine gives at a pump PWM value (both follow the load).
double inputVoltsAtPump(double pumpVolts);
// The wire's engine speed (period) and pump PWM of an operating point, and the engine speed
// the tool decodes from the period (to the nearest 10 rpm).
uint16_t rpmPeriod(double rpm);
int16_t pumpWire(double pumpVolts);
int decodedRpm(uint16_t period);
// The map cell of an operating point as the tool finds it from the readings (engine speed to
// the nearest 10 rpm, pump PWM in wire units): the first break point above the value, else the
// last, for the column and for the row.
int cellIndex(int rpm, int16_t pumpWire, const std::array<int16_t, 16>& rowAxis,
              const std::array<uint8_t, 15>& columnAxis);
// The 18-byte readings payload for the moment and the map: while the emulation works on gas
// the output voltage is the map cell at the operating point (an empty cell passes the input).
std::array<uint8_t, 18> readingsPayload(const EngineInputs& inputs);

} // namespace krv::sim
