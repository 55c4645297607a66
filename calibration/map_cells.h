#pragma once
// Where a reading falls on the map and where the cells' centres lie, from the snapshot's axes.
// A value belongs to the first break point above it, else to the last, as on the map grid.

#include "device/map_file/map_snapshot.h"

#include <array>
#include <cstddef>

namespace krv {

// One axis in whole units (rpm, or millivolts of pump PWM), so that a reading on a break point
// falls where the controller puts it.
template <size_t N> class AxisCells {
public:
    explicit AxisCells(const std::array<long, N>& breaks) : breaks_(breaks) {}

    int indexOf(long value) const {
        for (size_t i = 0; i < N; ++i) {
            if (value < breaks_[i]) {
                return static_cast<int>(i);
            }
        }
        return static_cast<int>(N) - 1;
    }
    // The first cell reaches down as far as the second is wide.
    double lowerEdge(int index) const {
        return index > 0 ? double(breaks_[index - 1]) : double(2 * breaks_[0] - breaks_[1]);
    }
    double centre(int index) const { return (lowerEdge(index) + double(breaks_[index])) / 2.0; }
    double halfWidth(int index) const { return (double(breaks_[index]) - lowerEdge(index)) / 2.0; }

private:
    std::array<long, N> breaks_;
};

class CellGrid {
public:
    explicit CellGrid(const MapSnapshot& map);

    size_t cellOf(int rpm, double pumpVolts) const;
    // 1 / (1 + u^2 + v^2), u and v the distances from the cell's centre in half widths.
    double centreWeight(size_t cell, int rpm, double pumpVolts) const;

    const AxisCells<kMapColumns>& columns() const { return columns_; }
    const AxisCells<kMapRows>& rows() const { return rows_; }

private:
    AxisCells<kMapColumns> columns_;
    AxisCells<kMapRows> rows_;
};

long pumpMillivolts(double volts);

} // namespace krv
