#include "map_blocks/block_operations.h"

#include "device/units.h"
#include "map_blocks/block_fill.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace krv {
namespace {

constexpr double kHighestStep = std::numeric_limits<uint8_t>::max();

// The point at `at` on the straight line from `from` (at first) to `to` (at last).
double between(double from, double to, int at, int first, int last) {
    return last == first ? from : from + (to - from) * (at - first) / double(last - first);
}

} // namespace

BlockResult fillBlock(const MapCells& cells, const Block& block,
                      const std::function<double(int row, int column)>& steps) {
    BlockResult result{cells, {}};
    if (!block.inMap()) {
        return result;
    }
    for (int row = block.firstRow; row <= block.lastRow; ++row) {
        for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
            const double wanted = units::roundHalfAway(steps(row, column));
            const double held = std::isnan(wanted) ? 0 : std::clamp(wanted, 0.0, kHighestStep);
            if (held != wanted) {
                result.saturated.push_back({row, column});
            }
            result.cells[static_cast<size_t>(row * protocol::kMapColumns + column)] =
                static_cast<uint8_t>(held);
        }
    }
    return result;
}

BlockResult setTo(const MapCells& cells, const Block& block, double volts) {
    const double steps = voltsInSteps(volts);
    return fillBlock(cells, block, [steps](int, int) { return steps; });
}

BlockResult setToAverage(const MapCells& cells, const Block& block) {
    if (!block.inMap()) {
        return {cells, {}};
    }
    double sum = 0;
    for (int row = block.firstRow; row <= block.lastRow; ++row) {
        for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
            sum += stepsAt(cells, row, column);
        }
    }
    const double average = sum / (block.rows() * block.columns());
    return fillBlock(cells, block, [average](int, int) { return average; });
}

BlockResult add(const MapCells& cells, const Block& block, double volts) {
    const double offset = units::roundHalfAway(voltsInSteps(volts));
    return fillBlock(cells, block, [&cells, offset](int row, int column) {
        return stepsAt(cells, row, column) + offset;
    });
}

BlockResult scale(const MapCells& cells, const Block& block, double percent) {
    return fillBlock(cells, block, [&cells, percent](int row, int column) {
        return stepsAt(cells, row, column) * percent / 100.0;
    });
}

BlockResult interpolate(const MapCells& cells, const Block& block, Interpolation kind) {
    return fillBlock(cells, block, [&cells, &b = block, kind](int row, int column) {
        const auto at = [&cells](int r, int c) { return stepsAt(cells, r, c); };
        switch (kind) {
        case Interpolation::rows:
            return between(at(row, b.firstColumn), at(row, b.lastColumn), column, b.firstColumn,
                           b.lastColumn);
        case Interpolation::columns:
            return between(at(b.firstRow, column), at(b.lastRow, column), row, b.firstRow,
                           b.lastRow);
        case Interpolation::bilinear:
            break;
        }
        const double top = between(at(b.firstRow, b.firstColumn), at(b.firstRow, b.lastColumn),
                                   column, b.firstColumn, b.lastColumn);
        const double bottom = between(at(b.lastRow, b.firstColumn), at(b.lastRow, b.lastColumn),
                                      column, b.firstColumn, b.lastColumn);
        return between(top, bottom, row, b.firstRow, b.lastRow);
    });
}

BlockResult smooth(const MapCells& cells, const Block& block) {
    return fillBlock(cells, block, [&cells, &block](int row, int column) {
        double weighted = 0;
        double weights = 0;
        for (int r = row - 1; r <= row + 1; ++r) {
            for (int c = column - 1; c <= column + 1; ++c) {
                if (block.contains(r, c)) {
                    const double weight = (2 - std::abs(r - row)) * (2 - std::abs(c - column));
                    weighted += weight * stepsAt(cells, r, c);
                    weights += weight;
                }
            }
        }
        return weighted / weights;
    });
}

} // namespace krv
