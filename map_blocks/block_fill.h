#pragma once
// The one place a block's new values become wire steps, shared by the operations and the paste.

#include "map_blocks/block_operations.h"

#include <functional>

namespace krv {

// Each cell of the block set from the value it should have in steps (fractional, any range,
// NaN read as below it): rounded half away from zero, saturated, and named when cut. A block
// outside the map changes nothing.
BlockResult fillBlock(const MapCells& cells, const Block& block,
                      const std::function<double(int row, int column)>& steps);

// The value of a cell in steps.
inline double stepsAt(const MapCells& cells, int row, int column) {
    return cells[static_cast<size_t>(row * protocol::kMapColumns + column)];
}

// Volts as steps, unrounded.
inline double voltsInSteps(double volts) {
    return volts / kCellStepVolts;
}

} // namespace krv
