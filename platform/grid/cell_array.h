#pragma once
// The cell-grid control: a corner cell, a row of column headers, a column of row headers and
// columns x rows value cells, with mouse selection and an in-place editor. The grid draws
// what its cells hold; users of the grid change the cells and call update().

#include "platform/grid/cell.h"
#include "platform/grid/cell_layout.h"
#include "platform/grid/item_edit.h"

#include <QFont>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

namespace krv {

struct CellArrayColours {
    QColor text{0, 0, 0};
    QColor header{200, 200, 200};
    QColor gridLine{0, 0, 0};
    QColor background{255, 255, 255}; // value cells until their own colour is set
    QColor selection{160, 255, 160};
    QColor selectedHeader{210, 210, 210}; // headers of the rows and columns holding a selection
};

class CCellArray : public QWidget {
    Q_OBJECT
public:
    explicit CCellArray(QWidget* parent = nullptr);
    ~CCellArray() override;

    // Builds the cells: one value column per column header and one value row per row header.
    // The sizes are the natural pixel sizes, scaled to whatever rectangle the grid gets;
    // textMargin is the space kept between a cell's text and its border.
    void init(std::unique_ptr<CItemEdit> editor, const QString& cornerText, int headerHeight,
              int columnWidth, const QStringList& columnHeaders, int rowHeight, int rowHeaderWidth,
              const QStringList& rowHeaders, const CellArrayColours& colours, const QFont& font,
              int textMargin);

    int columnCount() const { return sizes_.columns; }
    int rowCount() const { return sizes_.rows; }

    // Value cell (column, row); throws std::out_of_range outside the grid.
    CCell& cell(int column, int row);
    const CCell& cell(int column, int row) const;
    CCell& columnHeader(int column);
    CCell& rowHeader(int row);
    CCell& corner() { return corner_; }
    // Any cell, -1 standing for the header column or row.
    CCell& cellAt(int column, int row);

    // The cell being edited (or last edited): -1 in editedColumn is the row-header column,
    // -1 in editedRow the column-header row.
    int editedColumn() const { return edited_.column; }
    int editedRow() const { return edited_.row; }
    bool isEditing() const { return editing_; }
    // Opens the editor over a value or header cell (not the corner) with the given text.
    void editCell(int column, int row, const QString& text);
    // Ends editing: the cell takes the editor item's getText (unless empty).
    void endEdit();
    // Ends editing and leaves the cell as it was.
    void cancelEdit();

    // Fixed corner of the selection rectangle: set by a click, -1 until the first one.
    int anchorColumn() const { return anchor_.column; }
    int anchorRow() const { return anchor_.row; }
    void setAnchor(int column, int row) { anchor_ = {column, row}; }

    QRect cellRect(int column, int row) const { return layout_.cellRect(column, row); }
    // Repaints one cell (any cell, -1 standing for a header as in cellAt).
    void updateCell(int column, int row) { update(cellRect(column, row)); }
    // Every cell as it stands, to hand to updateChangedCells after a change of many cells:
    // only the cells that draw differently are then repainted.
    std::vector<CCell> cellsNow() const;
    void updateChangedCells(const std::vector<CCell>& before);
    const CellLayout& layout() const { return layout_; }
    // The font cell texts are drawn with: the given font, shrunk when rows get too low for it.
    const QFont& cellFont() const { return cellFont_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Selects exactly the value cells between the two corners (in any order).
    void selectRectangle(CellPosition from, CellPosition to);
    void finishEdit(bool keepText);
    void relayout();
    void paintCell(QPainter& painter, const QRect& rect, const CCell& cell,
                   const QColor& background) const;
    bool isValueCell(CellPosition position) const;
    // Every cell in the order cellsNow gives them, with its position.
    template <class Visit> void forEachCell(Visit visit) const;

    CellSizes sizes_;
    CellLayout layout_;
    CellArrayColours colours_;
    QFont font_;
    QFont cellFont_;
    int textMargin_ = 0;

    CCell corner_;
    std::vector<CCell> columnHeaders_;
    std::vector<CCell> rowHeaders_;
    std::vector<CCell> cells_; // row-major

    std::unique_ptr<CItemEdit> editor_;
    bool editing_ = false;
    CellPosition edited_{0, 0};
    CellPosition anchor_{-1, -1};
    bool dragging_ = false;
};

} // namespace krv
