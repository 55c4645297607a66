#include "calibration/map_cells.h"

#include "device/units.h"

#include <cmath>

namespace krv {

namespace {

std::array<long, kMapColumns> columnBreaks(const MapSnapshot& map) {
    std::array<long, kMapColumns> breaks{};
    for (size_t i = 0; i < kMapColumns; ++i) {
        breaks[i] = std::lround(units::columnBreakRpm(map.columns[i]));
    }
    return breaks;
}

std::array<long, kMapRows> rowBreaks(const MapSnapshot& map) {
    std::array<long, kMapRows> breaks{};
    for (size_t i = 0; i < kMapRows; ++i) {
        breaks[i] = pumpMillivolts(units::rowBreakVolts(map.rows[i]));
    }
    return breaks;
}

// Distance from the centre in half widths; an axis without width gives none.
template <size_t N> double offCentre(const AxisCells<N>& axis, int index, double value) {
    const double halfWidth = axis.halfWidth(index);
    return halfWidth > 0 ? (value - axis.centre(index)) / halfWidth : 0.0;
}

} // namespace

long pumpMillivolts(double volts) {
    return std::lround(volts * 1000.0);
}

CellGrid::CellGrid(const MapSnapshot& map) : columns_(columnBreaks(map)), rows_(rowBreaks(map)) {}

size_t CellGrid::cellOf(int rpm, double pumpVolts) const {
    return static_cast<size_t>(rows_.indexOf(pumpMillivolts(pumpVolts))) * kMapColumns +
           static_cast<size_t>(columns_.indexOf(rpm));
}

double CellGrid::centreWeight(size_t cell, int rpm, double pumpVolts) const {
    const double u = offCentre(columns_, static_cast<int>(cell % kMapColumns), rpm);
    const double v = offCentre(rows_, static_cast<int>(cell / kMapColumns),
                               static_cast<double>(pumpMillivolts(pumpVolts)));
    return 1.0 / (1.0 + u * u + v * v);
}

} // namespace krv
