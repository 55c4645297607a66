#include "device/map_file/map_file.h"

#include "device/editable_limits.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/regular_file.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace krv {
namespace {

constexpr std::string_view kFormatLine = "krv-map 1";
constexpr std::string_view kCorner = "V\\RPM";
constexpr std::string_view kKeys[] = {"format",      "device type", "firmware version",
                                      "rpm divider", "noise delta", "noise period",
                                      "saved"};
constexpr size_t kKeyCount = std::size(kKeys);

// Wire values as exact decimal text: integer arithmetic, so no value depends on rounding.
std::string cellText(uint8_t wire) {
    const int hundredths = wire * 2;
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
    return text;
}

std::string rowText(int16_t wire) {
    const int thousandths = wire * 15;
    const int magnitude = thousandths < 0 ? -thousandths : thousandths;
    char text[24];
    std::snprintf(text, sizeof text, "%s%d.%03d", thousandths < 0 ? "-" : "", magnitude / 1000,
                  magnitude % 1000);
    return text;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A free text as one CSV field: quoted when it holds a separator or a quote; a line break
// would end the line, so it becomes a space.
std::string csvField(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    if (text.find_first_of(",\"") == std::string::npos && trimmed(text) == text) {
        return text;
    }
    std::string quoted = "\"";
    for (char ch : text) {
        quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    }
    return quoted + "\"";
}

class MapFileError {
public:
    MapFileError(int line, std::u16string_view fault, std::string_view detail = {})
        : line_(line), fault_(fault), detail_(detail) {}

    MapFileRead result() const {
        MapFileRead read;
        read.errorLine = line_;
        read.error =
            translate(texts::kMapFileLine) + formatText(" %d: ", line_) + translate(fault_);
        if (!detail_.empty()) {
            read.error += u" (" + toU16(detail_) + u")";
        }
        return read;
    }

private:
    int line_;
    std::u16string_view fault_;
    std::string detail_;
};

// Comma-separated fields, blanks around them dropped; a field in double quotes may hold
// commas, blanks and doubled quotes, as a spreadsheet writes them.
std::vector<std::string> splitFields(std::string_view line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool wasQuoted = false;
    const auto finish = [&] {
        fields.push_back(wasQuoted ? field : std::string(trimmed(field)));
        field.clear();
        wasQuoted = false;
    };
    for (size_t i = 0; i < line.size(); ++i) {
        const char ch = line[i];
        if (quoted) {
            if (ch == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == '"' && !wasQuoted && trimmed(field).empty()) {
            field.clear();
            quoted = true;
            wasQuoted = true;
        } else if (ch == ',') {
            finish();
        } else if (!wasQuoted || (ch != ' ' && ch != '\t')) {
            field += ch;
        }
    }
    finish();
    return fields;
}

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// A row of volts written with decimal commas splits into too many fields and has no dot.
bool isCommaDecimalRow(std::string_view line) {
    return line.find('.') == std::string_view::npos;
}

// A plain decimal: optional sign, digits, optionally a dot and digits. A comma in place of the
// dot is told apart, since a spreadsheet in a Polish locale writes exactly that.
std::optional<double> parseNumber(std::string_view text, bool wholeOnly, int line,
                                  std::optional<MapFileError>& error) {
    std::string_view body = text;
    if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
        body.remove_prefix(1);
    }
    const size_t point = body.find_first_of(".,");
    const std::string_view whole = body.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : body.substr(point + 1);
    const bool shaped = isDigits(whole) && (point == std::string_view::npos || isDigits(fraction));
    if (shaped && point != std::string_view::npos && body[point] == ',') {
        error.emplace(line, texts::kMapFileCommaDecimal, text);
        return std::nullopt;
    }
    if (!shaped || (wholeOnly && point != std::string_view::npos)) {
        error.emplace(line, texts::kMapFileNotNumber, text);
        return std::nullopt;
    }
    std::string plain(text.front() == '+' ? text.substr(1) : text);
    double value = 0;
    std::from_chars(plain.data(), plain.data() + plain.size(), value);
    return value;
}

std::optional<double> parseInRange(std::string_view text, bool wholeOnly, double lowest,
                                   double highest, int line, std::optional<MapFileError>& error) {
    const std::optional<double> value = parseNumber(text, wholeOnly, line, error);
    if (value && (*value < lowest || *value > highest)) {
        error.emplace(line, texts::kMapFileOutOfRange, text);
        return std::nullopt;
    }
    return value;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {
        if (text_.starts_with("\xEF\xBB\xBF")) {
            text_.remove_prefix(3);
        }
    }

    MapFileRead run() {
        std::vector<std::string_view> lines = splitLines();
        size_t index = 0;
        // A copy or a download cut short can end inside a value ("0.78" as "0.7"), which would
        // read as a valid map; a whole file ends with a line break.
        if (!text_.empty() && !text_.ends_with('\n')) {
            fail(static_cast<int>(lines.size()), texts::kMapFileCutOff);
            return error_->result();
        }
        if (!readKeys(lines, index) || !readGrid(lines, index)) {
            return error_->result();
        }
        MapFileRead read;
        read.content = content_;
        return read;
    }

private:
    std::vector<std::string_view> splitLines() const {
        std::vector<std::string_view> lines;
        std::string_view rest = text_;
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            lines.push_back(line);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
        return lines;
    }

    bool fail(int line, std::u16string_view fault, std::string_view detail = {}) {
        error_.emplace(line, fault, detail);
        return false;
    }

    bool fieldCount(const std::vector<std::string>& fields, size_t expected, int line) {
        if (fields.size() < expected) {
            return fail(line, texts::kMapFileMissingColumn);
        }
        if (fields.size() > expected) {
            return fail(line, texts::kMapFileExtraColumn);
        }
        return true;
    }

    template <typename T>
    bool setWhole(T& target, std::string_view text, double lowest, double highest, int line) {
        const auto value = parseInRange(text, true, lowest, highest, line, error_);
        if (value) {
            target = static_cast<T>(*value);
        }
        return value.has_value();
    }

    // A value the wire carries, and within the range the window's spins keep.
    template <typename T>
    bool setSetting(T& target, std::string_view text, const limits::SettingRange& range, int line) {
        if (!setWhole(target, text, 0, std::numeric_limits<T>::max(), line)) {
            return false;
        }
        if (!range.holds(target)) {
            return fail(line, texts::kMapFileSettingRefused,
                        std::string(text) + "; " + std::to_string(range.lowest) + ".." +
                            std::to_string(range.highest));
        }
        return true;
    }

    bool setKey(size_t key, const std::string& value, int line) {
        MapSnapshot& snapshot = content_.snapshot;
        MapFileInfo& info = content_.info;
        switch (key) {
        case 0:
            return value == kFormatLine || fail(line, texts::kMapFileUnknownFormat, value);
        case 1:
            return setWhole(info.deviceType, value, 0, 255, line);
        case 2:
            return setWhole(info.firmwareVersion, value, 0, 65535, line);
        case 3:
            return setSetting(snapshot.rpmDivider, value, limits::kRpmDivider, line);
        case 4:
            return setSetting(snapshot.noiseDelta, value, limits::kNoiseDelta, line);
        case 5:
            return setSetting(snapshot.noisePeriod, value, limits::kNoisePeriod, line);
        default:
            info.saved = value;
            return true;
        }
    }

    bool readKeys(const std::vector<std::string_view>& lines, size_t& index) {
        std::array<bool, kKeyCount> seen{};
        for (; index < lines.size() && !lines[index].empty(); ++index) {
            const int line = static_cast<int>(index) + 1;
            const std::vector<std::string> fields = splitFields(lines[index]);
            const auto key = std::find(std::begin(kKeys), std::end(kKeys), fields[0]);
            if (index == 0 && key != std::begin(kKeys)) {
                return fail(line, texts::kMapFileUnknownFormat);
            }
            if (key == std::end(kKeys)) {
                return fail(line, texts::kMapFileUnknownKey, fields[0]);
            }
            const auto slot = static_cast<size_t>(key - std::begin(kKeys));
            if (seen[slot]) {
                return fail(line, texts::kMapFileRepeatedKey, fields[0]);
            }
            seen[slot] = true;
            if (!fieldCount(fields, 2, line) || !setKey(slot, fields[1], line)) {
                return false;
            }
        }
        if (lines.empty()) {
            return fail(1, texts::kMapFileUnknownFormat);
        }
        for (size_t key = 0; key < kKeyCount; ++key) {
            if (!seen[key]) {
                return fail(static_cast<int>(index) + 1, texts::kMapFileMissingKey, kKeys[key]);
            }
        }
        ++index; // the empty line
        return true;
    }

    bool readGrid(const std::vector<std::string_view>& lines, size_t index) {
        // Trailing empty lines are a spreadsheet's habit, not a fault.
        size_t end = lines.size();
        while (end > index && trimmed(lines[end - 1]).empty()) {
            --end;
        }
        for (size_t row = 0; row <= kMapRows; ++row, ++index) {
            const int line = static_cast<int>(index) + 1;
            if (index >= end) {
                return fail(line, texts::kMapFileMissingRow);
            }
            const std::vector<std::string> fields = splitFields(lines[index]);
            if (row > 0 && fields.size() > kMapColumns + 1 && isCommaDecimalRow(lines[index])) {
                return fail(line, texts::kMapFileCommaDecimal);
            }
            if (!fieldCount(fields, kMapColumns + 1, line) ||
                !(row == 0 ? readColumnBreaks(fields, line) : readRow(row - 1, fields, line))) {
                return false;
            }
        }
        return index >= end || fail(static_cast<int>(index) + 1, texts::kMapFileExtraRow);
    }

    bool readColumnBreaks(const std::vector<std::string>& fields, int line) {
        if (fields[0] != kCorner) {
            return fail(line, texts::kMapFileBadCorner, fields[0]);
        }
        for (size_t c = 0; c < kMapColumns; ++c) {
            const auto rpm = parseInRange(fields[c + 1], false, units::columnBreakRpm(0),
                                          units::columnBreakRpm(255), line, error_);
            if (!rpm) {
                return false;
            }
            auto& columns = content_.snapshot.columns;
            columns[c] = units::columnBreakWire(*rpm);
            if (c > 0 && !limits::columnBreakFollows(columns[c - 1], columns[c])) {
                return fail(line, texts::kMapFileColumnsNotIncreasing, fields[c + 1]);
            }
        }
        return true;
    }

    bool readRow(size_t row, const std::vector<std::string>& fields, int line) {
        const auto breakVolts = parseInRange(fields[0], false, units::rowBreakVolts(INT16_MIN),
                                             units::rowBreakVolts(INT16_MAX), line, error_);
        if (!breakVolts) {
            return false;
        }
        content_.snapshot.rows[row] = units::rowBreakWire(*breakVolts);
        if (!limits::rowBreakAllowed(content_.snapshot.rows[row])) {
            return fail(line, texts::kMapFileNegativeRow, fields[0]);
        }
        for (size_t c = 0; c < kMapColumns; ++c) {
            const auto volts = parseInRange(fields[c + 1], false, units::mapCellVolts(0),
                                            units::mapCellVolts(255), line, error_);
            if (!volts) {
                return false;
            }
            content_.snapshot.cells[row * kMapColumns + c] = units::mapCellWire(*volts);
        }
        return true;
    }

    std::string_view text_;
    MapFileContent content_;
    std::optional<MapFileError> error_;
};

// A fault of the file as a whole, under the path (and the system's reason, when there is one)
// so that the message says which file of several a user picked.
MapFileRead fileFault(std::u16string_view text, const std::string& path, int error = 0) {
    MapFileRead read;
    read.error = translate(text) + u"\n" + toU16(path);
    if (error != 0) {
        read.error += u": " + toU16(std::strerror(error));
    }
    return read;
}

} // namespace

std::string formatMapFile(const MapSnapshot& snapshot, const MapFileInfo& info) {
    std::string text;
    text += "format," + std::string(kFormatLine) + "\n";
    text += "device type," + std::to_string(info.deviceType) + "\n";
    text += "firmware version," + std::to_string(info.firmwareVersion) + "\n";
    text += "rpm divider," + std::to_string(snapshot.rpmDivider) + "\n";
    text += "noise delta," + std::to_string(snapshot.noiseDelta) + "\n";
    text += "noise period," + std::to_string(snapshot.noisePeriod) + "\n";
    text += "saved," + csvField(info.saved) + "\n";
    text += "\n";
    text += kCorner;
    for (uint8_t column : snapshot.columns) {
        text += "," + std::to_string(column * 100);
    }
    text += "\n";
    for (size_t r = 0; r < kMapRows; ++r) {
        text += rowText(snapshot.rows[r]);
        for (size_t c = 0; c < kMapColumns; ++c) {
            text += "," + cellText(snapshot.cells[r * kMapColumns + c]);
        }
        text += "\n";
    }
    return text;
}

MapFileRead parseMapFile(std::string_view text) {
    return Parser(text).run();
}

MapFileRead readMapFile(const std::string& path) {
    const RegularFileRead file = readRegularFile(path, kMapFileMaxBytes);
    if (file.fault != FileReadFault::none) {
        return fileFault(
            faultText(file.fault, {texts::kMapFileCannotOpen, texts::kMapFileNotRegular,
                                   texts::kMapFileTooLarge}),
            path, file.error);
    }
    return parseMapFile(file.bytes);
}

MapFileInfo mapFileInfoOf(uint8_t deviceType, uint16_t firmwareVersion) {
    return {deviceType, firmwareVersion, localTimeIso8601(std::time(nullptr))};
}

IdentityDifference identityDifference(const MapFileInfo& file, const MapFileInfo& controller) {
    IdentityDifference difference;
    difference.deviceType = file.deviceType != controller.deviceType;
    difference.firmwareVersion = file.firmwareVersion != controller.firmwareVersion;
    if (difference.any()) {
        const auto number = [](unsigned value) { return toU16(std::to_string(value)); };
        difference.message =
            fillIn(translate(texts::kMapFileOtherController),
                   {number(file.deviceType), number(file.firmwareVersion),
                    number(controller.deviceType), number(controller.firmwareVersion)});
    }
    return difference;
}

MapFileInfo mapFileInfoOf(const CLPGDevice& device) {
    return mapFileInfoOf(device.deviceType, device.firmwareVersion);
}

} // namespace krv
