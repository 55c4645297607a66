#include "map/map_array.h"

#include "map/leading_number.h"
#include "platform/qt/wait_cursor.h"

#include <QHelpEvent>
#include <QToolTip>
#include <cmath>

namespace krv {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kHighlight(120, 0, 0);
constexpr double kKeyStep = 0.1; // volts per Ctrl+Up / Ctrl+Down

// The low 8 bits of trunc(x), for any x (two's complement for negative values).
int lowByteOfTrunc(double x) {
    const double wrapped = std::fmod(std::trunc(x), 256.0);
    return static_cast<int>(wrapped < 0 ? wrapped + 256.0 : wrapped);
}

} // namespace

CMapArray::CMapArray(QWidget* parent) : CCellArray(parent) {}

QColor CMapArray::cellColour(double value) {
    if (!std::isfinite(value)) {
        return kWhite;
    }
    const double c = 5.0 * value;
    if (value >= 0) {
        const int k = lowByteOfTrunc(255.0 - c);
        return QColor(255, k, k);
    }
    return QColor(255, 255, lowByteOfTrunc(255.0 + c));
}

void CMapArray::setCellValue(int column, int row, double value) {
    CCell& target = cell(column, row);
    target.setTxt(formatValue(value));
    if (colouring_ == 1) {
        target.setBkColor(valueColour(column, row, value));
    }
}

QColor CMapArray::valueColour(int column, int row, double value) const {
    const auto index = static_cast<size_t>(row) * static_cast<size_t>(columnCount()) + column;
    return index < marks_.size() ? marks_[index].background : cellColour(value);
}

void CMapArray::setCellMarks(std::vector<CellMark> marks) {
    const std::vector<CCell> before = cellsNow();
    marks_ = std::move(marks);
    if (colouring_ == 1) {
        recolourValueCells();
    }
    updateChangedCells(before);
}

void CMapArray::recolourValueCells() {
    for (int c = 0; c < columnCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            setCellValue(c, r, getCellValue(c, r));
        }
    }
}

bool CMapArray::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip || marks_.empty()) {
        return CCellArray::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto position = layout().cellAt(help->pos());
    const bool valueCell = position && position->column >= 0 && position->row >= 0;
    const auto index = valueCell ? static_cast<size_t>(position->row) * columnCount() +
                                       static_cast<size_t>(position->column)
                                 : marks_.size();
    if (index < marks_.size()) {
        QToolTip::showText(help->globalPos(), marks_[index].toolTip, this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

double CMapArray::getCellValue(int column, int row) const {
    return leadingNumber(cell(column, row).getTxt().toStdU16String());
}

void CMapArray::setCurrentPoint(double rpm, double volts) {
    if (columnCount() == 0 || rowCount() == 0) {
        return; // not built yet
    }
    const CellPosition next = cellIndexOf(rpm, volts);
    CCell& previous = cell(currentColumn_, currentRow_);
    // Staying in the cell changes nothing drawn (the dwell shading shows once it is left).
    const bool moved = next.column != currentColumn_ || next.row != currentRow_;
    if (moved || !previous.isCurrent()) {
        updateCell(currentColumn_, currentRow_);
        updateCell(next.column, next.row);
    }
    previous.setBkColor(colouring_ == 1 ? valueColour(currentColumn_, currentRow_,
                                                      getCellValue(currentColumn_, currentRow_))
                                        : savedColour_);
    previous.setCurrent(false);

    CCell& current = cell(next.column, next.row);
    savedColour_ = current.getBkColor();
    current.setCurrentCellColor(kHighlight);
    current.setCurrent(true);
    currentColumn_ = next.column;
    currentRow_ = next.row;

    if (colouring_ == 0) {
        // One step darker per refresh spent in the cell: blue goes first, then green.
        int red = savedColour_.red();
        int green = savedColour_.green();
        int blue = static_cast<int>(savedColour_.blue() - darkenStep_);
        if (blue < 0) {
            blue = 0;
            green = std::max(static_cast<int>(green - darkenStep_), 0);
        }
        savedColour_ = QColor(red, green, blue);
    }
}

void CMapArray::setColouring(int mode) {
    if (mode == colouring_) {
        return;
    }
    colouring_ = mode;
    if (mode == 1) {
        recolourValueCells();
    } else if (mode == 0) {
        savedColour_ = kWhite;
        for (int c = 0; c < columnCount(); ++c) {
            for (int r = 0; r < rowCount(); ++r) {
                cell(c, r).setBkColor(kWhite);
            }
        }
    }
    update();
}

std::optional<CMapArray::SelectionBounds> CMapArray::selectionBounds() const {
    std::optional<SelectionBounds> bounds;
    for (int c = 0; c < columnCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            if (!cell(c, r).isSelected()) {
                continue;
            }
            if (!bounds) {
                bounds = SelectionBounds{{c, r}, {c, r}};
            }
            bounds->last = {c, r};
        }
    }
    return bounds;
}

void CMapArray::clearSelection(bool redraw) {
    for (int c = 0; c < columnCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            cell(c, r).setSelected(0);
        }
    }
    if (redraw) {
        update();
    }
}

void CMapArray::moveSelection(int key) {
    const auto bounds = selectionBounds();
    if (!bounds) {
        return;
    }
    CellPosition next = bounds->first;
    switch (key) {
    case vk::kLeft:
        next.column = std::max(next.column - 1, 0);
        break;
    case vk::kRight:
        next.column = std::min(next.column + 1, columnCount() - 1);
        break;
    case vk::kUp:
        next.row = std::max(next.row - 1, 0);
        break;
    case vk::kDown:
        next.row = std::min(next.row + 1, rowCount() - 1);
        break;
    default:
        return;
    }
    clearSelection(false);
    cell(next.column, next.row).setSelected(1);
    setAnchor(next.column, next.row);
    update();
}

void CMapArray::setColumnSelected(int column, int fromRow, int toRow, bool selected) {
    for (int r = fromRow; r <= toRow; ++r) {
        cell(column, r).setSelected(selected ? 1 : 0);
    }
}

void CMapArray::setRowSelected(int row, int fromColumn, int toColumn, bool selected) {
    for (int c = fromColumn; c <= toColumn; ++c) {
        cell(c, row).setSelected(selected ? 1 : 0);
    }
}

void CMapArray::extendSelection(int key) {
    const auto bounds = selectionBounds();
    const bool horizontal = key == vk::kLeft || key == vk::kRight;
    if (!bounds || (horizontal ? anchorColumn() : anchorRow()) < 0) {
        return;
    }
    const auto [c0, r0] = bounds->first;
    const auto [c1, r1] = bounds->last;
    const int anchorC = anchorColumn();
    const int anchorR = anchorRow();
    const int lastColumn = columnCount() - 1;
    const int lastRow = rowCount() - 1;
    switch (key) {
    case vk::kLeft:
        if (anchorC < c1) {
            setColumnSelected(c1, r0, r1, false);
        } else if (anchorC == c1) {
            if (c0 == 0) {
                return;
            }
            setColumnSelected(c0 - 1, r0, r1, true);
        }
        break;
    case vk::kRight:
        if (anchorC == c0) {
            if (c1 == lastColumn) {
                return;
            }
            setColumnSelected(c1 + 1, r0, r1, true);
        } else if (anchorC > c0) {
            setColumnSelected(c0, r0, r1, false);
        }
        break;
    case vk::kUp:
        if (r1 > anchorR) {
            setRowSelected(r1, c0, c1, false);
        } else if (r1 == anchorR) {
            if (r0 == 0) {
                return;
            }
            setRowSelected(r0 - 1, c0, c1, true);
        }
        break;
    case vk::kDown:
        if (r0 == anchorR) {
            if (r1 == lastRow) {
                return;
            }
            setRowSelected(r1 + 1, c0, c1, true);
        } else if (r0 < anchorR) {
            setRowSelected(r0, c0, c1, false);
        }
        break;
    default:
        return;
    }
    update();
}

bool CMapArray::handleKey(int key, bool ctrl, bool shift) {
    switch (key) {
    case vk::kEscape:
        if (isEditing()) {
            cancelEdit();
        }
        return true;
    case vk::kUp:
    case vk::kDown:
        if (ctrl) {
            CWaitCursor wait;
            incrementSelected(key == vk::kUp ? kKeyStep : -kKeyStep);
        } else if (shift) {
            extendSelection(key);
        } else {
            moveSelection(key);
        }
        return true;
    case vk::kLeft:
    case vk::kRight:
        if (shift) {
            extendSelection(key);
        } else {
            moveSelection(key);
        }
        return true;
    default:
        return false;
    }
}

int CMapArray::virtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Escape:
        return vk::kEscape;
    case Qt::Key_Left:
        return vk::kLeft;
    case Qt::Key_Up:
        return vk::kUp;
    case Qt::Key_Right:
        return vk::kRight;
    case Qt::Key_Down:
        return vk::kDown;
    default:
        return 0;
    }
}

} // namespace krv
