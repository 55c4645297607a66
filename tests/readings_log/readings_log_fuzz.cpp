// Any bytes as a readings log: the reader never crashes, a refusal names its line (or says the
// log holds no reading), and whatever it accepts keeps the promises the replay relies on (time
// never going back, rising sample and marker numbers, gaps in order, values a controller can
// report) and is written whole as MSL text.

#include "lang/program_texts.h"
#include "platform/text.h"
#include "readings_log/msl_text.h"
#include "readings_log/readings_log.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// An odd first byte puts a valid header before the rest, so the rows and comments are reached
// without the fuzzer first having to find the header by chance.
constexpr std::string_view kHeader = "# krv readings\n# started,x\n# firmware version,256\n"
                                     "seconds,sample,rpm,input V,output V,pump PWM V,work state\n";

void check(bool promise) {
    if (!promise) {
        std::abort();
    }
}

void checkAccepted(const krv::ReadingsLog& log) {
    double last = 0;
    for (size_t i = 0; i < log.readings.size(); ++i) {
        const krv::LogReading& reading = log.readings[i];
        check(reading.seconds >= last && reading.rpm >= 0);
        // Only what a controller can report (the pump's word is signed).
        check(reading.input >= 0 && reading.input < 328 && reading.output >= 0 &&
              reading.output < 328 && std::abs(reading.pump) < 492);
        check(i == 0 || reading.sample > log.readings[i - 1].sample);
        last = reading.seconds;
    }
    for (size_t i = 0; i < log.markers.size(); ++i) {
        check(log.markers[i].number > 0 && log.markers[i].seconds >= 0);
        check(i == 0 || log.markers[i].number > log.markers[i - 1].number);
    }
    for (size_t i = 0; i < log.gaps.size(); ++i) {
        const krv::LogGap& gap = log.gaps[i];
        const bool open = gap.backAt < 0;
        check(open ? i + 1 == log.gaps.size() : gap.backAt >= gap.lostAt);
        check(i == 0 || gap.lostAt >= log.gaps[i - 1].backAt);
    }
    check(!log.readings.empty());
    const std::string msl = krv::formatMsl(log);
    const auto lines = static_cast<size_t>(std::count(msl.begin(), msl.end(), '\n'));
    check(lines == 4 + log.readings.size() + log.markers.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text;
    if (size > 0 && (data[0] & 1) != 0) {
        text = kHeader;
    }
    if (size > 0) {
        text.append(reinterpret_cast<const char*>(data) + 1, size - 1);
    }
    const krv::ReadingsLogRead read = krv::parseReadingsLog(text);
    if (!read.ok()) {
        // Names its line, or is the log as a whole: one without a reading.
        check(read.error.find(", wiersz ") != std::string::npos ||
              read.error == krv::toUtf8(krv::texts::kReplayNoReadings));
        return 0;
    }
    checkAccepted(*read.log);
    return 0;
}
