#include "readings_log/readings_log.h"

#include "device/diag.h"
#include "device/readings_csv.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/regular_file.h"
#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace krv {
namespace {

constexpr std::size_t kFieldCount = 7;
// Field names for messages; the column row itself is readings_csv::kColumnRow.
constexpr std::array<std::string_view, kFieldCount> kFieldNames{
    "seconds", "sample", "rpm", "input V", "output V", "pump PWM V", "work state"};
constexpr std::string_view kStartedName = "started";
constexpr std::string_view kFirmwareName = "firmware version";
constexpr std::string_view kMarkerName = "marker";
constexpr std::string_view kRowAxisName = "row axis";
constexpr std::string_view kColumnAxisName = "column axis";
// "0.000,1,0,0.000,0.000,0.000,0\n": the shortest row the tool writes.
constexpr std::size_t kShortestRowBytes = 30;
// A value quoted in a message is cut to this, so a line of garbage cannot flood it.
constexpr std::size_t kShownBytes = 32;
// A year: longer than any recording the file's size allows, short enough for any clock label.
constexpr double kMostSeconds = 366.0 * 24 * 3600;
// Some editors put this before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// What the controller's readings can carry at all: the wire words' extremes through the same
// conversions the recorder writes with (the log has three decimals, hence the slack).
struct ValueRange {
    double lowest;
    double highest;
    bool holds(double value) const { return value >= lowest - 5e-4 && value <= highest + 5e-4; }
};

CDiag sampleWith(int offset, uint16_t word) {
    CDiag sample;
    sample.setWord(offset, word);
    return sample;
}

const ValueRange kRpmRange{0, double(engineSpeedRpm(sampleWith(CDiag::kRpmPeriod, 1)))};
const ValueRange kInputRange{0, inputVolts(sampleWith(CDiag::kInputVoltage, 0xFFFF))};
const ValueRange kOutputRange{0, outputVolts(sampleWith(CDiag::kOutputVoltage, 0xFFFF))};
const ValueRange kPumpRange{pumpPwmVolts(sampleWith(CDiag::kPumpPwm, 0x8000)),
                            pumpPwmVolts(sampleWith(CDiag::kPumpPwm, 0x7FFF))};

struct Fault {
    std::u16string_view text;
    std::string first;
    std::string second;
};
using Outcome = std::optional<Fault>;

std::string shown(std::string_view value) {
    std::string text(value.substr(0, kShownBytes));
    std::replace_if(
        text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20; },
        '?');
    return value.size() > kShownBytes ? text + "..." : text;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

Outcome outOfRange(std::string_view name, std::string_view field) {
    return Fault{texts::kReadingsLogOutOfRange, std::string(name), shown(field)};
}

// The whole field as a number of T: nothing before or after it, and no infinity or NaN.
template <typename T> Outcome readNumber(std::string_view field, std::string_view name, T& value) {
    const char* last = field.data() + field.size();
    const auto [end, error] = std::from_chars(field.data(), last, value);
    if (error == std::errc::result_out_of_range && end == last) {
        return outOfRange(name, field);
    }
    bool number = error == std::errc() && end == last;
    if constexpr (std::is_floating_point_v<T>) {
        number = number && std::isfinite(value);
    }
    if (!number) {
        return Fault{texts::kReadingsLogNotNumber, std::string(name), shown(field)};
    }
    return std::nullopt;
}

class LogParser {
public:
    explicit LogParser(std::string_view text) : text_(text) {}

    ReadingsLogRead run() {
        // Power lost while recording can leave the file's tail as zero bytes never written.
        while (!text_.empty() && text_.back() == '\0') {
            text_.remove_suffix(1);
        }
        if (text_.starts_with(kByteOrderMark)) {
            text_.remove_prefix(kByteOrderMark.size());
        }
        // Room for a reading a line, but no more than rows of the tool's could fill: a file of
        // line ends alone must not claim gigabytes.
        const auto lines = static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n'));
        log_.readings.reserve(std::min(lines + 1, text_.size() / kShortestRowBytes));
        std::size_t at = 0;
        while (at < text_.size()) {
            ++lineNumber_;
            const std::size_t end = text_.find('\n', at);
            const bool cutOff = end == std::string_view::npos;
            std::string_view line = text_.substr(at, cutOff ? std::string_view::npos : end - at);
            at = cutOff ? text_.size() : end + 1;
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            const Outcome fault = columnsSeen_ ? bodyLine(line) : headerLine(line);
            if (fault && cutOff) {
                break; // the last line, which the recording never finished
            }
            if (fault) {
                return failure(*fault);
            }
        }
        if (!columnsSeen_) {
            lineNumber_ = std::max(lineNumber_, 1);
            return failure(Fault{texts::kReadingsLogNoColumns, {}, {}});
        }
        if (rowsWhileDown_) {
            lineNumber_ = rowsWhileDown_->line;
            return failure(Fault{texts::kReadingsLogReadingWhileLost, {}, {}});
        }
        ReadingsLogRead read;
        if (log_.readings.empty()) {
            read.error = toUtf8(translate(texts::kReplayNoReadings));
            return read;
        }
        read.log = std::move(log_);
        return read;
    }

private:
    Outcome headerLine(std::string_view line) {
        if (lineNumber_ == 1) {
            return line == readings_csv::kTitleLine
                       ? std::nullopt
                       : Outcome(Fault{texts::kReadingsLogNotALog, {}, {}});
        }
        if (line == readings_csv::kColumnRow) {
            return columnRow();
        }
        if (line.starts_with(readings_csv::kStartedPrefix)) {
            if (startedSeen_) {
                return Fault{texts::kReadingsLogRepeatedHeaderLine, {}, {}};
            }
            startedSeen_ = true;
            log_.started = line.substr(readings_csv::kStartedPrefix.size());
            return std::nullopt;
        }
        if (line.starts_with(readings_csv::kFirmwarePrefix)) {
            return firmwareVersion(line.substr(readings_csv::kFirmwarePrefix.size()));
        }
        if (line.starts_with(readings_csv::kRowAxisPrefix)) {
            return axisLine(line.substr(readings_csv::kRowAxisPrefix.size()), kRowAxisName,
                            axes_.rows, rowAxisSeen_, units::rowBreakVolts, units::rowBreakWire);
        }
        if (line.starts_with(readings_csv::kColumnAxisPrefix)) {
            return axisLine(line.substr(readings_csv::kColumnAxisPrefix.size()), kColumnAxisName,
                            axes_.columns, columnAxisSeen_, units::columnBreakRpm,
                            units::columnBreakWire);
        }
        return Fault{line.starts_with('#') ? texts::kReadingsLogUnknownHeaderLine
                                           : texts::kReadingsLogBadColumns,
                     {},
                     {}};
    }

    Outcome columnRow() {
        for (const auto& [seen, name] :
             {std::pair(startedSeen_, kStartedName), std::pair(firmwareSeen_, kFirmwareName)}) {
            if (!seen) {
                return Fault{texts::kReadingsLogMissingHeaderLine, std::string(name), {}};
            }
        }
        // The axes come as a pair or not at all.
        if (rowAxisSeen_ != columnAxisSeen_) {
            return Fault{texts::kReadingsLogMissingHeaderLine,
                         std::string(rowAxisSeen_ ? kColumnAxisName : kRowAxisName),
                         {}};
        }
        if (rowAxisSeen_) {
            log_.axes = axes_;
        }
        columnsSeen_ = true;
        return std::nullopt;
    }

    // The break points of one axis, each a value its wire word carries exactly.
    template <typename Wire, std::size_t N>
    Outcome axisLine(std::string_view values, std::string_view name, std::array<Wire, N>& axis,
                     bool& seen, double (*toValue)(Wire), Wire (*toWire)(double)) {
        if (seen) {
            return Fault{texts::kReadingsLogRepeatedHeaderLine, {}, {}};
        }
        const auto count = static_cast<std::size_t>(std::count(values.begin(), values.end(), ','));
        if (count + 1 != N) {
            return Fault{texts::kReadingsLogFieldCount, std::to_string(count + 1),
                         std::to_string(N)};
        }
        for (std::size_t i = 0; i < N; ++i) {
            const std::size_t comma = values.find(',');
            const std::string_view field = values.substr(0, comma);
            values.remove_prefix(comma == std::string_view::npos ? values.size() : comma + 1);
            double value = 0;
            if (Outcome fault = readNumber(field, name, value)) {
                return fault;
            }
            axis[i] = toWire(value);
            if (std::abs(toValue(axis[i]) - value) > 5e-4) {
                return outOfRange(name, field);
            }
        }
        seen = true;
        return std::nullopt;
    }

    Outcome firmwareVersion(std::string_view field) {
        if (firmwareSeen_) {
            return Fault{texts::kReadingsLogRepeatedHeaderLine, {}, {}};
        }
        uint16_t version = 0;
        if (Outcome fault = readNumber(field, kFirmwareName, version)) {
            return fault;
        }
        firmwareSeen_ = true;
        log_.firmwareVersion = version;
        return std::nullopt;
    }

    Outcome bodyLine(std::string_view line) {
        if (line.empty()) {
            return Fault{texts::kReadingsLogEmptyLine, {}, {}};
        }
        return line.starts_with('#') ? comment(line) : row(line);
    }

    Outcome row(std::string_view line) {
        std::array<std::string_view, kFieldCount> fields;
        std::size_t count = 0;
        for (std::size_t at = 0;; ++count) {
            const std::size_t comma = line.find(',', at);
            if (count < kFieldCount) {
                fields[count] =
                    line.substr(at, comma == std::string_view::npos ? comma : comma - at);
            }
            if (comma == std::string_view::npos) {
                ++count;
                break;
            }
            at = comma + 1;
        }
        if (count != kFieldCount) {
            return Fault{texts::kReadingsLogFieldCount, std::to_string(count),
                         std::to_string(kFieldCount)};
        }
        LogReading reading;
        int working = 0;
        Outcome fault;
        const auto read = [&](std::size_t field, auto& value) {
            if (!fault) {
                fault = readNumber(fields[field], kFieldNames[field], value);
            }
        };
        read(0, reading.seconds);
        read(1, reading.sample);
        read(2, reading.rpm);
        read(3, reading.input);
        read(4, reading.output);
        read(5, reading.pump);
        read(6, working);
        if (fault) {
            return fault;
        }
        const std::pair<double, const ValueRange*> ranged[] = {{reading.rpm, &kRpmRange},
                                                               {reading.input, &kInputRange},
                                                               {reading.output, &kOutputRange},
                                                               {reading.pump, &kPumpRange}};
        for (size_t i = 0; i < std::size(ranged); ++i) {
            if (!ranged[i].second->holds(ranged[i].first)) {
                return outOfRange(kFieldNames[i + 2], fields[i + 2]);
            }
        }
        if (working != 0 && working != 1) {
            return outOfRange(kFieldNames[6], fields[6]);
        }
        reading.working = working == 1;
        if (Outcome backwards = timeGoesOn(reading.seconds, fields[0])) {
            return backwards;
        }
        if (!log_.readings.empty() && reading.sample <= log_.readings.back().sample) {
            return Fault{texts::kReadingsLogSampleNotRising, std::to_string(reading.sample),
                         std::to_string(log_.readings.back().sample)};
        }
        if (linkDown_ && !rowsWhileDown_) {
            rowsWhileDown_ = RowsWhileDown{lineNumber_, reading.seconds};
        }
        log_.readings.push_back(reading);
        lastSeconds_ = reading.seconds;
        return std::nullopt;
    }

    // "# <what> at <seconds> s": the link lost or back, or a marker.
    Outcome comment(std::string_view line) {
        constexpr std::string_view kLead = "# ", kAt = " at ", kUnit = " s";
        const Fault unknown{texts::kReadingsLogUnknownComment, {}, {}};
        if (!line.starts_with(kLead) || !line.ends_with(kUnit)) {
            return unknown;
        }
        const std::string_view body =
            line.substr(kLead.size(), line.size() - kLead.size() - kUnit.size());
        const std::size_t at = body.rfind(kAt);
        if (at == std::string_view::npos) {
            return unknown;
        }
        const std::string_view what = body.substr(0, at);
        const bool lost = what == readings_csv::kLinkLost;
        const bool back = what == readings_csv::kLinkBack;
        const bool marker = what.starts_with(readings_csv::kMarker) &&
                            what.substr(readings_csv::kMarker.size()).starts_with(' ');
        if (!lost && !back && !marker) {
            return unknown;
        }
        const std::string_view timeField = body.substr(at + kAt.size());
        double seconds = 0;
        if (Outcome fault = readNumber(timeField, kFieldNames[0], seconds)) {
            return fault;
        }
        if (Outcome backwards = timeGoesOn(seconds, timeField)) {
            return backwards;
        }
        Outcome fault = lost   ? linkLost(seconds)
                        : back ? linkBack(seconds)
                               : addMarker(what.substr(readings_csv::kMarker.size() + 1), seconds);
        if (!fault) {
            lastSeconds_ = seconds;
        }
        return fault;
    }

    Outcome linkLost(double seconds) {
        if (linkDown_) {
            return Fault{texts::kReadingsLogLostTwice, {}, {}};
        }
        linkDown_ = true;
        log_.gaps.push_back({seconds, -1});
        return std::nullopt;
    }

    Outcome linkBack(double seconds) {
        if (!linkDown_) {
            return Fault{texts::kReadingsLogBackUnlost, {}, {}};
        }
        // Recorders of earlier versions wrote the new polling thread's first rows just before
        // this line, at its very time; any other row while the link was down is no reading.
        if (rowsWhileDown_ && rowsWhileDown_->seconds != seconds) {
            lineNumber_ = rowsWhileDown_->line;
            return Fault{texts::kReadingsLogReadingWhileLost, {}, {}};
        }
        rowsWhileDown_.reset();
        linkDown_ = false;
        log_.gaps.back().backAt = seconds;
        return std::nullopt;
    }

    Outcome addMarker(std::string_view numberField, double seconds) {
        int number = 0;
        if (Outcome fault = readNumber(numberField, kMarkerName, number)) {
            return fault;
        }
        if (number < 1) {
            return outOfRange(kMarkerName, numberField);
        }
        if (!log_.markers.empty() && number <= log_.markers.back().number) {
            return Fault{texts::kReadingsLogMarkerNotRising, std::to_string(number),
                         std::to_string(log_.markers.back().number)};
        }
        log_.markers.push_back({number, seconds});
        return std::nullopt;
    }

    Outcome timeGoesOn(double seconds, std::string_view field) const {
        if (seconds < 0 || seconds > kMostSeconds) {
            return outOfRange(kFieldNames[0], field);
        }
        if (seconds < lastSeconds_) {
            return Fault{texts::kReadingsLogTimeBackwards, secondsText(seconds),
                         secondsText(lastSeconds_)};
        }
        return std::nullopt;
    }

    ReadingsLogRead failure(const Fault& fault) const {
        const std::u16string what =
            fillIn(translate(fault.text), {toU16(fault.first), toU16(fault.second)});
        ReadingsLogRead read;
        read.error = toUtf8(fillIn(translate(texts::kReadingsLogAtLine),
                                   {toU16(std::to_string(lineNumber_)), what}));
        return read;
    }

    std::string_view text_;
    ReadingsLog log_;
    int lineNumber_ = 0;
    bool startedSeen_ = false;
    bool firmwareSeen_ = false;
    bool columnsSeen_ = false;
    bool rowAxisSeen_ = false;
    bool columnAxisSeen_ = false;
    MapAxes axes_;
    bool linkDown_ = false;
    // The first row read while the link was down: where it stands and its time.
    struct RowsWhileDown {
        int line;
        double seconds;
    };
    std::optional<RowsWhileDown> rowsWhileDown_;
    double lastSeconds_ = 0;
};

} // namespace

ReadingsLogRead parseReadingsLog(std::string_view text) {
    return LogParser(text).run();
}

ReadingsLogRead readReadingsLog(const std::string& path) {
    const RegularFileRead file = readRegularFile(path, kReadingsLogMaxBytes);
    ReadingsLogRead read;
    if (file.fault == FileReadFault::none) {
        read = parseReadingsLog(file.bytes);
    } else {
        read.error = toUtf8(fillIn(translate(faultText(file.fault, {texts::kReadingsLogCannotOpen,
                                                                    texts::kReadingsLogNotRegular,
                                                                    texts::kReadingsLogTooLarge})),
                                   {toU16(std::strerror(file.error != 0 ? file.error : EIO))}));
    }
    // Said in a box or among other lines, the fault must name its file.
    if (!read.ok()) {
        read.error = path + ": " + read.error;
    }
    return read;
}

} // namespace krv
