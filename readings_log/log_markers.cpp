#include "readings_log/log_markers.h"

#include "device/readings_csv.h"

#include <algorithm>
#include <charconv>

namespace krv {

std::string markersFilePath(const std::string& logPath) {
    return logPath + ".markers";
}

std::string formatMarkers(const std::vector<LogMarker>& markers) {
    std::string text;
    for (const LogMarker& marker : markers) {
        text += readings_csv::markerComment(marker.number, marker.seconds);
    }
    return text;
}

namespace {

template <class Number> bool readWhole(std::string_view field, Number& value) {
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size();
}

} // namespace

std::vector<LogMarker> parseMarkers(std::string_view text) {
    const std::string lead = "# " + std::string(readings_csv::kMarker) + " ";
    constexpr std::string_view kAt = " at ", kUnit = " s";
    std::vector<LogMarker> markers;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const size_t at = line.find(kAt);
        LogMarker marker;
        if (line.starts_with(lead) && line.ends_with(kUnit) && at != std::string_view::npos &&
            readWhole(line.substr(lead.size(), at - lead.size()), marker.number) &&
            readWhole(line.substr(at + kAt.size(), line.size() - kUnit.size() - at - kAt.size()),
                      marker.seconds) &&
            marker.number > 0 && marker.seconds >= 0) {
            markers.push_back(marker);
        }
    }
    return markers;
}

void mergeMarkers(std::vector<LogMarker>& into, const std::vector<LogMarker>& added) {
    for (const LogMarker& marker : added) {
        if (std::none_of(into.begin(), into.end(),
                         [&](const LogMarker& held) { return held.number == marker.number; })) {
            into.push_back(marker);
        }
    }
    std::stable_sort(into.begin(), into.end(),
                     [](const LogMarker& a, const LogMarker& b) { return a.seconds < b.seconds; });
}

} // namespace krv
