#pragma once
// A correction map and axes as a car might carry them after a calibration drive, for a
// simulated controller that shows a newcomer what a fitter sees: the rows span the engine
// model's pump PWM range, and each cell lies a few tenths of a volt above the input voltage the
// engine gives there, more under load and at speed.

#include <array>
#include <cstdint>

namespace krv::sim {

struct MapAndAxes {
    std::array<uint8_t, 240> map{};
    std::array<int16_t, 16> rowAxis{};
    std::array<uint8_t, 15> columnAxis{};
};

MapAndAxes sampleMap();

} // namespace krv::sim
