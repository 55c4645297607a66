#pragma once
// The readings demo mode shows: a steady engine at 2210 rpm.

#include "device/diag.h"

#include <cstdint>

namespace krv {

// Fills the record with the demo values and the given number.
void demoReading(CDiag& record, uint32_t number);

} // namespace krv
