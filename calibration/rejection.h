#pragma once
// Why a reading was not used for its cell, first reason found.

#include <array>
#include <cstddef>

namespace krv {

enum class Rejection {
    OnGas,               // the emulator worked: the input is not petrol's signal
    Dropout,             // the input fell to about 0 V: a sensor or wire dropping out
    EngineStopped,       // no engine speed
    ShortHistory,        // not yet a whole window of readings since the start or a gap
    EngineSpeedChanging, // engine speed moved too much over the window
    LoadChanging,        // pump PWM moved too much over the window
    InputSettling,       // the input still moves: sensor lag or overshoot after a load step
    Outlier,             // far from the window's median: a spike
};

inline constexpr size_t kRejectionCount = 8;

using RejectionCounts = std::array<int, kRejectionCount>;

} // namespace krv
