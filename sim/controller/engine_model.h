#pragma once
// A small engine that drives the controller's readings through a repeating drive: idle,
// acceleration, cruise, deceleration. Values are in the controller's raw units.

#include <array>
#include <cstdint>

namespace krv::sim {

struct EngineInputs {
    double seconds = 0;                  // time since the controller started
    const std::array<uint8_t, 240>* map; // correction map, bytes
    const std::array<int16_t, 16>* rowAxis;
    const std::array<uint8_t, 15>* columnAxis;
    bool onGas = false;
};

struct EnginePoint {
    double rpm = 0;
    double pumpVolts = 0;  // 0.5 to 12 V
    double inputVolts = 0; // follows the load
};

// One drive cycle of kCycleSeconds.
inline constexpr double kCycleSeconds = 20.0;

EnginePoint enginePoint(double seconds);
// The 18-byte readings payload for the moment and the map: the output voltage is the input
// voltage corrected by the map cell at the operating point while the emulation works on gas.
std::array<uint8_t, 18> readingsPayload(const EngineInputs& inputs);

} // namespace krv::sim
