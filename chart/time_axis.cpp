#include "chart/time_axis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace krv {

namespace {

constexpr double kSteps[] = {0.1, 0.2, 0.5, 1,    2,    5,    10,    15,    30,    60,   120,
                             300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
constexpr double kHour = 3600;

} // namespace

std::vector<TimeTick> timeTicks(double span, int width, int spacing) {
    if (width <= 0 || !std::isfinite(span) || span < 0) {
        return {};
    }
    spacing = std::max(spacing, 1);
    for (const double step : kSteps) {
        if (step * width < spacing * span) {
            continue;
        }
        std::vector<TimeTick> ticks;
        // Counted, not summed, so that the hundredth tick is not a rounding off its place.
        for (long k = 0; k * step <= span * (1 + 1e-9); ++k) {
            ticks.push_back({k * step, timeLabel(k * step, span, step < 1)});
        }
        return ticks;
    }
    return {};
}

std::u16string timeLabel(double seconds, double span, bool tenths) {
    const long long units = std::llround(std::max(seconds, 0.0) * (tenths ? 10 : 1));
    const long long whole = tenths ? units / 10 : units;
    char text[48];
    if (span >= kHour) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    }
    std::u16string label(text, text + std::char_traits<char>::length(text));
    if (tenths) {
        label += u'.';
        label += static_cast<char16_t>(u'0' + units % 10);
    }
    return label;
}

} // namespace krv
