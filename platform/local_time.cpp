#include "platform/local_time.h"

namespace krv {

std::tm localCalendarTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

std::string localTimeIso8601(std::time_t time) {
    const std::tm local = localCalendarTime(time);
    char stamp[40];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S%z", &local);
    // %z gives +0100; ISO 8601 extended form is +01:00.
    std::string text = stamp;
    if (text.size() >= 5) {
        text.insert(text.size() - 2, ":");
    }
    return text;
}

} // namespace krv
