#include "map_blocks/block_text.h"

#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "map_blocks/block_fill.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace krv {
namespace {

using Values = std::vector<std::vector<double>>;

struct ParsedText {
    Values values;
    std::u16string error;
};

std::u16string number(size_t value) {
    return toU16(std::to_string(value));
}

std::string_view withoutBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A faulty value as the message shows it: a whole clipboard pasted by mistake must not become
// a message of a megabyte. Cut between UTF-8 characters, never inside one.
std::u16string shown(std::string_view field) {
    constexpr size_t kMostShown = 24;
    if (field.size() <= kMostShown) {
        return toU16(field);
    }
    size_t cut = kMostShown;
    while (cut > 0 && (static_cast<unsigned char>(field[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return toU16(field.substr(0, cut)) + u"…";
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// Lines without their CR, trailing empty lines dropped: a spreadsheet ends its copy with one.
std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> found = split(text, '\n');
    for (std::string_view& line : found) {
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
    }
    while (!found.empty() && found.back().empty()) {
        found.pop_back();
    }
    return found;
}

ParsedText parseValues(std::string_view text, const Block& block) {
    const std::vector<std::string_view> rows = lines(text);
    if (rows.empty()) {
        return {{}, translate(texts::kPasteNothing)};
    }
    const size_t width = split(rows.front(), '\t').size();
    const auto roomFrom = [](int first, int size) { return static_cast<size_t>(size - first); };
    if (rows.size() > roomFrom(block.firstRow, protocol::kMapRows) ||
        width > roomFrom(block.firstColumn, protocol::kMapColumns)) {
        const std::u16string from = toU16(cellNames({{block.firstRow, block.firstColumn}}));
        return {
            {},
            fillIn(translate(texts::kPasteDoesNotFit), {number(rows.size()), number(width), from})};
    }
    ParsedText parsed;
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string_view> fields = split(rows[r], '\t');
        if (fields.size() != width) {
            parsed.error = fillIn(translate(texts::kPasteRowLength),
                                  {number(r + 1), number(fields.size()), number(width)});
            return parsed;
        }
        std::vector<double>& row = parsed.values.emplace_back();
        for (size_t c = 0; c < fields.size(); ++c) {
            const std::optional<double> value = parseDecimal(fields[c]);
            if (!value) {
                parsed.error = fillIn(translate(texts::kPasteNotNumber),
                                      {number(r + 1), number(c + 1), shown(fields[c])});
                return parsed;
            }
            row.push_back(*value);
        }
    }
    return parsed;
}

// Where the values go: the whole block when it holds whole copies of them, else their own size.
Block pastedBlock(const Block& block, const Values& values) {
    const int height = static_cast<int>(values.size());
    const int width = static_cast<int>(values.front().size());
    if (block.rows() % height == 0 && block.columns() % width == 0) {
        return block;
    }
    return {block.firstRow, block.firstColumn, block.firstRow + height - 1,
            block.firstColumn + width - 1};
}

PasteResult pasteValues(const MapCells& cells, const Block& block, std::string_view text,
                        bool added) {
    ParsedText parsed = parseValues(text, block);
    PasteResult pasted;
    if (!parsed.error.empty()) {
        pasted.error = std::move(parsed.error);
        return pasted;
    }
    const Values& values = parsed.values;
    pasted.pasted = pastedBlock(block, values);
    pasted.result = fillBlock(cells, pasted.pasted, [&](int row, int column) {
        const size_t r = static_cast<size_t>(row - block.firstRow) % values.size();
        const size_t c = static_cast<size_t>(column - block.firstColumn) % values.front().size();
        return voltsInSteps(values[r][c]) + (added ? stepsAt(cells, row, column) : 0);
    });
    return pasted;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::ranges::all_of(text, [](char ch) { return ch >= '0' && ch <= '9'; });
}

} // namespace

std::string copyText(const MapCells& cells, const Block& block, char decimalPoint) {
    std::string text;
    if (!block.inMap()) {
        return text;
    }
    for (int row = block.firstRow; row <= block.lastRow; ++row) {
        for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
            char volts[16];
            std::snprintf(volts, sizeof volts, "%.2f",
                          units::mapCellVolts(static_cast<uint8_t>(stepsAt(cells, row, column))));
            std::replace(volts, volts + sizeof volts, '.', decimalPoint);
            text += volts;
            text += column == block.lastColumn ? '\n' : '\t';
        }
    }
    return text;
}

std::optional<double> parseDecimal(std::string_view text) {
    std::string plain(withoutBlanks(text));
    const size_t digits = plain.starts_with('-') || plain.starts_with('+') ? 1 : 0;
    const size_t point = plain.find_first_of(".,", digits);
    const std::string_view body(plain);
    if (!allDigits(body.substr(digits, point - digits)) ||
        (point != std::string::npos && !allDigits(body.substr(point + 1)))) {
        return std::nullopt;
    }
    if (point != std::string::npos) {
        plain[point] = '.';
    }
    double value = 0;
    // from_chars takes no '+'; the digits are checked, so it reads the rest whole.
    const auto [end, fault] = std::from_chars(plain.data() + (plain.starts_with('+') ? 1 : 0),
                                              plain.data() + plain.size(), value);
    if (fault != std::errc()) {
        return std::nullopt; // beyond what a double holds
    }
    return value;
}

PasteResult paste(const MapCells& cells, const Block& block, std::string_view text) {
    return pasteValues(cells, block, text, false);
}

PasteResult pasteAdd(const MapCells& cells, const Block& block, std::string_view text) {
    return pasteValues(cells, block, text, true);
}

} // namespace krv
