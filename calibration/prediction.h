#pragma once
// Values for cells the drive never held, from learned cells along their row and column: between
// two learned cells by their centres, or one cell beyond the last of two learned neighbours.
// A cell with no learned cell next to it gets nothing: no guess reaches further than one cell.

#include "calibration/map_cells.h"

#include <array>
#include <optional>

namespace krv {

// learned: the learned value in volts of each cell, nothing where none was learned.
std::array<std::optional<double>, kMapCells>
predictedCells(const std::array<std::optional<double>, kMapCells>& learned, const CellGrid& cells);

} // namespace krv
