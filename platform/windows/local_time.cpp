#include "platform/local_time.h"

#include <cstdio>
#include <cstdlib>

namespace krv {
namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long daysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

long long secondsOf(const std::tm& t) {
    return daysFromCivil(t.tm_year + 1900LL, static_cast<unsigned>(t.tm_mon + 1),
                         static_cast<unsigned>(t.tm_mday)) *
               86400 +
           t.tm_hour * 3600LL + t.tm_min * 60LL + t.tm_sec;
}

} // namespace

std::tm localCalendarTime(std::time_t time) {
    std::tm local{};
    localtime_s(&local, &time);
    return local;
}

// The C library's %z names the zone instead of giving the offset; the offset is the local
// clock's distance from UTC at that moment.
std::string localTimeIso8601(std::time_t time) {
    const std::tm local = localCalendarTime(time);
    std::tm utc{};
    gmtime_s(&utc, &time);
    const long long offsetMinutes = (secondsOf(local) - secondsOf(utc)) / 60;
    const long long magnitude = std::llabs(offsetMinutes);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return stamp;
}

} // namespace krv
