#pragma once
// The correction-map grid without the device: value texts and colours, the operating-point
// highlight with its dwell shading, and the keyboard selection.

#include "platform/grid/cell_array.h"

#include <vector>

namespace krv {

// Virtual-key codes of the keys the map answers to.
namespace vk {
inline constexpr int kEscape = 27;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
} // namespace vk

// How the compare view shows a value cell instead of its value colour.
struct CellMark {
    QColor background;
    QString toolTip;
};

class CMapArray : public CCellArray {
    Q_OBJECT
public:
    explicit CMapArray(QWidget* parent = nullptr);

    // Moves the operating-point highlight to the cell of (rpm, volts); runs on every refresh,
    // also when the cell stays the same, which is what darkens a cell during dwell shading.
    virtual void setCurrentPoint(double rpm, double volts);
    // Raises (step > 0) or lowers every selected value cell and sends the change.
    virtual void incrementSelected(double step) = 0;
    virtual CellPosition cellIndexOf(double rpm, double volts) const = 0;
    virtual QString formatValue(double value) const = 0;

    // White at 0, pinker towards 5 V; towards yellow below 0.
    static QColor cellColour(double value);
    // The remembered background of the highlighted cell.
    QColor savedColour() const { return savedColour_; }

    void setCellValue(int column, int row, double value);
    // The cell's text read as a decimal number (0 when it does not start with one).
    double getCellValue(int column, int row) const;
    // 1: value cells coloured by value; 0: dwell shading.
    void setColouring(int mode);
    int colouring() const { return colouring_; }

    // Compare view: one mark per value cell (row-major) replaces the value colours while
    // value colouring is on; no marks ends it. Only the cells that look different repaint.
    void setCellMarks(std::vector<CellMark> marks);
    bool hasCellMarks() const { return !marks_.empty(); }

    void clearSelection(bool redraw);
    // Selects the single cell next to the first selected one and makes it the anchor.
    void moveSelection(int key);
    // Grows the selection away from the anchor or shrinks its far side towards it.
    void extendSelection(int key);
    // The main window's pre-translation of a key press: true when the map consumed the key.
    // Escape is always consumed (it only cancels an edit in progress), so it never closes
    // the window.
    bool handleKey(int key, bool ctrl, bool shift);
    // The virtual-key code of a Qt key, or 0 for keys the map does not know.
    static int virtualKeyOf(int qtKey);

    double maxValue() const { return maxValue_; }
    double minValue() const { return minValue_; }
    double darkenStep() const { return darkenStep_; }
    int currentColumn() const { return currentColumn_; }
    int currentRow() const { return currentRow_; }

    struct SelectionBounds {
        CellPosition first; // first selected cell scanning columns, then rows
        CellPosition last;  // last one in the same scan
    };
    // Nothing when no value cell is selected.
    std::optional<SelectionBounds> selectionBounds() const;

protected:
    bool event(QEvent* event) override;

private:
    // The background value colouring gives a cell: its mark in the compare view.
    QColor valueColour(int column, int row, double value) const;
    void recolourValueCells();
    void setColumnSelected(int column, int fromRow, int toRow, bool selected);
    void setRowSelected(int row, int fromColumn, int toColumn, bool selected);

    QColor savedColour_{255, 255, 255};

    double maxValue_ = 5.0;
    double minValue_ = 0.0;
    int colouring_ = 1;
    double darkenStep_ = 5.0;
    int currentColumn_ = 0;
    int currentRow_ = 0;
    std::vector<CellMark> marks_;
};

} // namespace krv
