#pragma once
// How a calibration proposal looks on a map grid: the drive's coverage while it runs, the
// difference from the controller in the preview, and each cell's evidence in its tooltip.

#include "calibration/calibration.h"
#include "map/map_array.h"
#include "map/operating_trail.h"

#include <QString>
#include <span>
#include <vector>

namespace krv {

// One mark per value cell: white where no steady reading came, amber where too few did, green
// where the cell is learned (or predicted); the drive's trail over them.
std::vector<CellMark> coverageMarks(const CalibrationProposal& proposal,
                                    std::span<const TrailPoint> trail = {});
// One mark per value cell, coloured by how far the proposed value is from the controller's.
std::vector<CellMark> differenceMarks(const CalibrationProposal& proposal);
// The cell's status, the controller's and the proposed value with their difference, and the
// readings behind it, one per line.
QString cellDetails(const CellProposal& cell);

} // namespace krv
