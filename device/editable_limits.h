#pragma once
// What a user may give the controller, however it is given (the window's spins and headers,
// `krv-cli set`, a map file): one rule, so that no way in takes what another refuses.

#include <cstdint>

namespace krv::limits {

struct SettingRange {
    long lowest;
    long highest;

    bool holds(long value) const { return value >= lowest && value <= highest; }
};

inline constexpr SettingRange kRpmDivider{1, 200};
inline constexpr SettingRange kNoiseDelta{0, 255};
inline constexpr SettingRange kNoisePeriod{0, 50000};

// Column break points (rpm): typed values are kept in this range, on whole steps, and the
// axis increases from left to right.
inline constexpr double kLowestColumnRpm = 500.0;
inline constexpr double kHighestColumnRpm = 8000.0;
inline constexpr double kColumnRpmStep = 100.0;

// Row break points (volts): an input voltage is never negative, and the top is the largest
// the controller's signed 16-bit word carries (0.015 V units).
inline constexpr double kLowestRowVolts = 0.0;
inline constexpr double kHighestRowVolts = 491.5;

inline bool rowBreakAllowed(int16_t wire) {
    return wire >= 0;
}

// A column break point after the one left of it: the axis must increase.
inline bool columnBreakFollows(uint8_t left, uint8_t wire) {
    return wire > left;
}

} // namespace krv::limits
