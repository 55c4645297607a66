#pragma once
// The compare view's look of each value cell: coloured by how far the controller's cell is
// from the file's (red where the controller is higher, blue where lower, white where equal),
// with the file's value in the tooltip. Compared in wire units, so 0.02 V shows.

#include "device/map_file/map_snapshot.h"
#include "map/map_array.h"

#include <vector>

namespace krv {

// White for no difference, paler to deeper red (steps > 0) or blue (steps < 0) in 0.02 V steps.
QColor differenceColour(int steps);
// One mark per value cell, index row * 15 + column.
std::vector<CellMark> compareMarks(const MapSnapshot& controller, const MapSnapshot& file);
// The same colours for what a write changed: red where a cell went up, blue where it went
// down, the change in volts in the tooltip.
std::vector<CellMark> differenceMarks(const MapSnapshot& now, const MapSnapshot& before);

} // namespace krv
