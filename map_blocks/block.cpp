#include "map_blocks/block.h"

#include <algorithm>
#include <charconv>

namespace krv {
namespace {

// A 1-based number in 1 … highest, the whole text.
std::optional<int> parseIndex(std::string_view text, int highest) {
    int value = 0;
    const char* last = text.data() + text.size();
    const auto [end, fault] = std::from_chars(text.data(), last, value);
    if (text.empty() || fault != std::errc() || end != last || value < 1 || value > highest) {
        return std::nullopt;
    }
    return value - 1;
}

std::optional<MapCell> parseCell(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto row = parseIndex(text.substr(0, colon), protocol::kMapRows);
    const auto column = parseIndex(text.substr(colon + 1), protocol::kMapColumns);
    if (!row || !column) {
        return std::nullopt;
    }
    return MapCell{*row, *column};
}

} // namespace

Block wholeMap() {
    return {0, 0, protocol::kMapRows - 1, protocol::kMapColumns - 1};
}

std::optional<Block> parseBlock(std::string_view text) {
    const size_t dash = text.find('-');
    const auto from = parseCell(text.substr(0, dash));
    const auto to = dash == std::string_view::npos ? from : parseCell(text.substr(dash + 1));
    if (!from || !to) {
        return std::nullopt;
    }
    return Block{std::min(from->row, to->row), std::min(from->column, to->column),
                 std::max(from->row, to->row), std::max(from->column, to->column)};
}

std::string cellNames(const std::vector<MapCell>& cells) {
    std::string names;
    for (const MapCell& cell : cells) {
        names += (names.empty() ? "" : " ") + std::to_string(cell.row + 1) + ',' +
                 std::to_string(cell.column + 1);
    }
    return names;
}

} // namespace krv
