#pragma once
// Local time as files written for people and spreadsheets carry it.

#include <ctime>
#include <string>

namespace krv {

// ISO 8601 extended form with the offset from UTC, e.g. 2026-12-10T16:30:05+01:00.
std::string localTimeIso8601(std::time_t time);

// The broken-down local time of a moment.
std::tm localCalendarTime(std::time_t time);

} // namespace krv
