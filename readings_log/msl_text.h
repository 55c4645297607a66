#pragma once
// A readings log as MSL text, the tab-separated log that common log viewers read:
//
//   "krv readings log, firmware 256"
//   "Capture Date: 2026-12-10T17:05:09+01:00"
//   Time<TAB>RPM<TAB>Input<TAB>Output<TAB>Pump PWM<TAB>Working
//   s<TAB>rpm<TAB>V<TAB>V<TAB>V<TAB>
//   0.050<TAB>2210<TAB>2.000<TAB>2.035<TAB>3.165<TAB>0
//   MARK 001
//
// One line a reading; a marker's line stands after the readings up to its time.

#include "readings_log/readings_log.h"

#include <string>

namespace krv {

std::string formatMsl(const ReadingsLog& log);

} // namespace krv
