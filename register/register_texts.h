#pragma once
// The register's words for people: its faults, the wrong-car warning, causes and dates, in the
// language chosen at start-up.

#include "register/car_register.h"

#include <string>

namespace krv::reg {

// The fault's message, then the register's path and the system's words on a line of their own.
std::u16string faultMessage(const DatabaseFault& fault, const std::string& path);
// "This controller holds the map of <holder> from <date>, not of <chosen>."
std::u16string wrongCarMessage(const WrongCar& wrong, std::string_view chosenPlate);
std::u16string causeText(Cause cause);
// What happened, without its time: "wersja 3: edycja", "notatka: ...".
std::u16string timelineText(const TimelineEntry& entry);
// Make, model and year as far as known: "Skoda Octavia 2009".
std::string vehicleText(const CarDetails& details);
// The local date of a time, YYYY-MM-DD, and with the minute, YYYY-MM-DD HH:MM.
std::string localDate(int64_t time);
std::string localMinute(int64_t time);

} // namespace krv::reg
