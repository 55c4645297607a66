#pragma once
// The readings demo mode shows: a steady engine at 2210 rpm, numbered by a counter that the
// whole process shares, so that a reconnected demo goes on counting.

#include "device/diag.h"

#include <cstdint>

namespace krv {

// Fills the record with the demo values and the next number (the first is 1).
// Returns the number used.
uint32_t nextDemoReading(CDiag& record);
// Starts the count from 1 again (a test's fresh process).
void restartDemoReadings();

} // namespace krv
