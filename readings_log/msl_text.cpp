#include "readings_log/msl_text.h"

#include <charconv>
#include <cstdio>
#include <type_traits>

namespace krv {
namespace {

constexpr std::string_view kNames = "Time\tRPM\tInput\tOutput\tPump PWM\tWorking\n";
constexpr std::string_view kUnits = "s\trpm\tV\tV\tV\t\n";
// What a reading's line usually takes, for the reserve.
constexpr std::size_t kLineBytes = 40;
// Room for any double in fixed notation (a 309-digit integer part at most), so no value, however
// absurd, is ever cut.
constexpr std::size_t kFieldBytes = 330;

// A text inside the quoted header lines: a quote or a line break would end it early.
std::string quotable(std::string_view text) {
    std::string safe(text);
    for (char& ch : safe) {
        if (ch == '"') {
            ch = '\'';
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            ch = ' ';
        }
    }
    return safe;
}

void appendMark(std::string& text, int number) {
    char line[32];
    std::snprintf(line, sizeof line, "MARK %03d\n", number);
    text += line;
}

void appendReading(std::string& text, const LogReading& reading) {
    char line[6 * kFieldBytes];
    char* end = line;
    const auto field = [&](auto value, char after) {
        if constexpr (std::is_floating_point_v<decltype(value)>) {
            end = std::to_chars(end, line + sizeof line, value, std::chars_format::fixed, 3).ptr;
        } else {
            end = std::to_chars(end, line + sizeof line, value).ptr;
        }
        *end++ = after;
    };
    field(reading.seconds, '\t');
    field(reading.rpm, '\t');
    field(reading.input, '\t');
    field(reading.output, '\t');
    field(reading.pump, '\t');
    field(reading.working ? 1 : 0, '\n');
    text.append(line, end);
}

} // namespace

std::string formatMsl(const ReadingsLog& log) {
    std::string text;
    text.reserve((log.readings.size() + log.markers.size() + 4) * kLineBytes);
    text += "\"krv readings log, firmware " + std::to_string(log.firmwareVersion) + "\"\n";
    text += "\"Capture Date: " + quotable(log.started) + "\"\n";
    text += kNames;
    text += kUnits;
    auto marker = log.markers.begin();
    for (const LogReading& reading : log.readings) {
        for (; marker != log.markers.end() && marker->seconds < reading.seconds; ++marker) {
            appendMark(text, marker->number);
        }
        appendReading(text, reading);
    }
    for (; marker != log.markers.end(); ++marker) {
        appendMark(text, marker->number);
    }
    return text;
}

} // namespace krv
