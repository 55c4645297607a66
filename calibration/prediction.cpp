#include "calibration/prediction.h"

#include <algorithm>
#include <vector>

namespace krv {

namespace {

// The learned values of one row or one column, in axis order.
template <size_t N> struct Line {
    const AxisCells<N>& axis;
    std::array<std::optional<double>, N> values;

    // The straight line through the learned cells a and b, at cell i.
    double along(int a, int b, int i) const {
        const double span = axis.centre(b) - axis.centre(a);
        const double fraction =
            span != 0 ? (axis.centre(i) - axis.centre(a)) / span : double(i - a) / double(b - a);
        return *values[a] + (*values[b] - *values[a]) * fraction;
    }

    std::optional<int> nearestLearned(int i, int step) const {
        for (int j = i + step; j >= 0 && j < static_cast<int>(N); j += step) {
            if (values[j]) {
                return j;
            }
        }
        return std::nullopt;
    }

    bool learnedAt(int i) const { return i >= 0 && i < static_cast<int>(N) && values[i]; }

    // Only next to a learned cell of this line, so that no estimate reaches further.
    std::optional<double> estimate(int i) const {
        if (!learnedAt(i - 1) && !learnedAt(i + 1)) {
            return std::nullopt;
        }
        const std::optional<int> below = nearestLearned(i, -1);
        const std::optional<int> above = nearestLearned(i, +1);
        if (below && above) {
            return along(*below, *above, i);
        }
        for (const int step : {-1, +1}) {
            if (learnedAt(i + step) && learnedAt(i + 2 * step)) {
                return along(i + 2 * step, i + step, i);
            }
        }
        return std::nullopt;
    }
};

} // namespace

std::array<std::optional<double>, kMapCells>
predictedCells(const std::array<std::optional<double>, kMapCells>& learned, const CellGrid& cells) {
    std::array<std::optional<double>, kMapCells> predicted{};
    for (int row = 0; row < static_cast<int>(kMapRows); ++row) {
        for (int column = 0; column < static_cast<int>(kMapColumns); ++column) {
            if (learned[row * kMapColumns + column]) {
                continue;
            }
            Line<kMapColumns> alongRow{cells.columns(), {}};
            for (size_t c = 0; c < kMapColumns; ++c) {
                alongRow.values[c] = learned[row * kMapColumns + c];
            }
            Line<kMapRows> alongColumn{cells.rows(), {}};
            for (size_t r = 0; r < kMapRows; ++r) {
                alongColumn.values[r] = learned[r * kMapColumns + column];
            }
            std::vector<double> estimates;
            for (const std::optional<double> estimate :
                 {alongRow.estimate(column), alongColumn.estimate(row)}) {
                if (estimate) {
                    estimates.push_back(*estimate);
                }
            }
            if (!estimates.empty()) {
                double sum = 0;
                for (double estimate : estimates) {
                    sum += estimate;
                }
                predicted[row * kMapColumns + column] = sum / double(estimates.size());
            }
        }
    }
    return predicted;
}

} // namespace krv
