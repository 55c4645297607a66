#include "platform/grid/cell_layout.h"

#include <algorithm>
#include <cmath>

namespace krv {

namespace {

// Edges of a header followed by count equal slots, stretched from natural to length pixels.
std::vector<int> scaledEdges(int header, int slot, int count, int length) {
    const double natural = header + static_cast<double>(slot) * count;
    const double scale = natural > 0 ? std::max(length, 0) / natural : 0.0;
    std::vector<int> edges;
    edges.reserve(static_cast<size_t>(count) + 2);
    edges.push_back(0);
    for (int i = 0; i <= count; ++i) {
        edges.push_back(static_cast<int>(std::lround((header + double(slot) * i) * scale)));
    }
    return edges;
}

// Index i with edges[i] <= x < edges[i + 1], or -1 when x is outside.
int slotOf(const std::vector<int>& edges, int x) {
    if (edges.size() < 2 || x < edges.front() || x >= edges.back()) {
        return -1;
    }
    const auto above = std::upper_bound(edges.begin(), edges.end(), x);
    return static_cast<int>(above - edges.begin()) - 1;
}

} // namespace

CellLayout::CellLayout(const CellSizes& sizes, QSize area)
    : columnEdges_(
          scaledEdges(sizes.rowHeaderWidth, sizes.columnWidth, sizes.columns, area.width())),
      rowEdges_(scaledEdges(sizes.headerHeight, sizes.rowHeight, sizes.rows, area.height())) {}

QRect CellLayout::cellRect(int column, int row) const {
    const auto x = static_cast<size_t>(column + 1);
    const auto y = static_cast<size_t>(row + 1);
    if (column < -1 || row < -1 || x + 1 >= columnEdges_.size() || y + 1 >= rowEdges_.size()) {
        return {};
    }
    return QRect(QPoint(columnEdges_[x], rowEdges_[y]),
                 QPoint(columnEdges_[x + 1] - 1, rowEdges_[y + 1] - 1));
}

std::optional<CellPosition> CellLayout::cellAt(QPoint point) const {
    const int x = slotOf(columnEdges_, point.x());
    const int y = slotOf(rowEdges_, point.y());
    if (x < 0 || y < 0) {
        return std::nullopt;
    }
    return CellPosition{x - 1, y - 1};
}

CellPosition CellLayout::nearestValueCell(QPoint point) const {
    const auto clampTo = [](const std::vector<int>& edges, int v) {
        const int last = static_cast<int>(edges.size()) - 3; // index of the last value slot
        const int slot = slotOf(edges, std::clamp(v, edges.front(), edges.back() - 1));
        return std::clamp(slot - 1, 0, std::max(last, 0));
    };
    if (columnEdges_.size() < 3 || rowEdges_.size() < 3) {
        return {0, 0};
    }
    return {clampTo(columnEdges_, point.x()), clampTo(rowEdges_, point.y())};
}

int CellLayout::rowHeight() const {
    return rowEdges_.size() >= 3 ? rowEdges_[2] - rowEdges_[1] : 0;
}

} // namespace krv
