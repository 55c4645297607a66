#pragma once
// A rectangle of map cells, as a selection in the grid or "R1:C1-R2:C2" on the command line.

#include "device/protocol_codes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krv {

struct MapCell {
    int row = 0;    // 0 … 15
    int column = 0; // 0 … 14

    bool operator==(const MapCell&) const = default;
};

// Inclusive, 0-based; first never after last.
struct Block {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;

    int rows() const { return lastRow - firstRow + 1; }
    int columns() const { return lastColumn - firstColumn + 1; }
    bool contains(int row, int column) const {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    // Whole, ordered and inside the map: every operation leaves the cells as they are otherwise.
    bool inMap() const {
        return firstRow >= 0 && firstRow <= lastRow && lastRow < protocol::kMapRows &&
               firstColumn >= 0 && firstColumn <= lastColumn && lastColumn < protocol::kMapColumns;
    }

    bool operator==(const Block&) const = default;
};

Block wholeMap();

// "R1:C1-R2:C2", 1-based row and column as the grid and the dry run count them, corners in
// either order; "R:C" is a block of one cell. Nothing when the text is not that or leaves the map.
std::optional<Block> parseBlock(std::string_view text);

// "R,C R,C …", 1-based, as the dry run names cells.
std::string cellNames(const std::vector<MapCell>& cells);

} // namespace krv
