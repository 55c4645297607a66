#pragma once
// Where every cell of the grid lies in a widget of a given size: the natural cell sizes scaled
// so that the header column, the header row and all cells fill the widget exactly.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

namespace krv {

struct CellSizes {
    int headerHeight = 22;   // the column-header row
    int columnWidth = 52;    // every value column
    int rowHeight = 22;      // every value row
    int rowHeaderWidth = 52; // the row-header column
    int columns = 0;
    int rows = 0;

    QSize natural() const {
        return {rowHeaderWidth + columns * columnWidth, headerHeight + rows * rowHeight};
    }
};

// Grid coordinates of a cell: -1 stands for the header column or the header row.
struct CellPosition {
    int column = -1;
    int row = -1;
    friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

class CellLayout {
public:
    CellLayout() = default;
    CellLayout(const CellSizes& sizes, QSize area);

    // The rectangle of cell (column, row); -1 for the header column or row, both -1 = corner.
    QRect cellRect(int column, int row) const;
    // The cell under a point, or nothing outside the grid.
    std::optional<CellPosition> cellAt(QPoint point) const;
    // The nearest value cell to a point, for a drag that leaves the value area.
    CellPosition nearestValueCell(QPoint point) const;

    // Left edges of the header column and every value column, then the right edge.
    const std::vector<int>& columnEdges() const { return columnEdges_; }
    const std::vector<int>& rowEdges() const { return rowEdges_; }
    int rowHeight() const;

private:
    std::vector<int> columnEdges_;
    std::vector<int> rowEdges_;
};

} // namespace krv
