#pragma once
// What a table editor does to a block of the map, as pure functions of the cells (wire units,
// index row * 15 + column): every result is rounded to the nearest step the controller holds
// and saturated to its range (0.00 … 5.10 V), and the cells that had to be cut are named.
// Cells outside the block never change.

#include "device/lpg_device.h"
#include "map_blocks/block.h"

#include <array>
#include <cstdint>
#include <vector>

namespace krv {

// One wire step of a map cell.
inline constexpr double kCellStepVolts = 0.02;

struct BlockResult {
    MapCells cells{};
    std::vector<MapCell> saturated; // row by row, left to right

    bool operator==(const BlockResult&) const = default;
};

BlockResult setTo(const MapCells& cells, const Block& block, double volts);
BlockResult setToAverage(const MapCells& cells, const Block& block);
// volts may be negative; every cell moves by the same number of steps.
BlockResult add(const MapCells& cells, const Block& block, double volts);
BlockResult scale(const MapCells& cells, const Block& block, double percent);

enum class Interpolation {
    bilinear, // from the block's four corners
    rows,     // each row from its first to its last cell in the block
    columns,  // each column from its top to its bottom cell in the block
};

// By cell position, not by the axes' break points: a straight ramp across the grid as shown.
BlockResult interpolate(const MapCells& cells, const Block& block, Interpolation kind);

// A 3x3 kernel (1 2 1 / 2 4 2 / 1 2 1) over the cells' values before smoothing. Only neighbours
// inside the block are read, the weights scaled to those present: the block keeps its own level
// whatever lies around it, so a constant block stays as it is.
BlockResult smooth(const MapCells& cells, const Block& block);

} // namespace krv
