#include "platform/grid/cell_array.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <stdexcept>

namespace krv {

namespace {

// Smallest font the cells shrink to; below it text is clipped rather than unreadable.
constexpr double kMinPointSize = 5.0;
// A text every column must hold: the widest value or break point the grid shows.
const QString kWidestText = QStringLiteral("-00.00");

QFont scaledFont(const QFont& font, double factor) {
    QFont scaled = font;
    if (font.pointSizeF() > 0) {
        scaled.setPointSizeF(font.pointSizeF() * factor);
    } else if (font.pixelSize() > 0) {
        scaled.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * factor)));
    }
    return scaled;
}

// The font shrunk step by step until a line fits height pixels and kWidestText fits width.
QFont fittedFont(const QFont& font, int height, int width) {
    QFont fitted = font;
    for (double factor = 1.0; factor > 0.2; factor -= 0.05) {
        fitted = scaledFont(font, factor);
        const QFontMetrics metrics(fitted);
        const bool fits =
            metrics.height() <= height && metrics.horizontalAdvance(kWidestText) <= width;
        if (fits || (fitted.pointSizeF() > 0 && fitted.pointSizeF() <= kMinPointSize)) {
            break;
        }
    }
    return fitted;
}

QColor textColourOn(const QColor& background, const QColor& text) {
    return background.lightness() < 128 ? QColor(Qt::white) : text;
}

} // namespace

CCellArray::CCellArray(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CCellArray::~CCellArray() = default;

void CCellArray::init(std::unique_ptr<CItemEdit> editor, const QString& cornerText,
                      int headerHeight, int columnWidth, const QStringList& columnHeaders,
                      int rowHeight, int rowHeaderWidth, const QStringList& rowHeaders,
                      const CellArrayColours& colours, const QFont& font, int textMargin) {
    sizes_ = CellSizes{std::max(headerHeight, 1),
                       std::max(columnWidth, 1),
                       std::max(rowHeight, 1),
                       std::max(rowHeaderWidth, 1),
                       static_cast<int>(columnHeaders.size()),
                       static_cast<int>(rowHeaders.size())};
    colours_ = colours;
    font_ = font;
    textMargin_ = std::max(textMargin, 0);

    corner_ = CCell();
    corner_.setTxt(cornerText);
    columnHeaders_.assign(columnHeaders.size(), CCell());
    for (int c = 0; c < sizes_.columns; ++c) {
        columnHeaders_[c].setTxt(columnHeaders[c]);
    }
    rowHeaders_.assign(rowHeaders.size(), CCell());
    for (int r = 0; r < sizes_.rows; ++r) {
        rowHeaders_[r].setTxt(rowHeaders[r]);
    }
    CCell blank;
    blank.setBkColor(colours_.background);
    cells_.assign(static_cast<size_t>(sizes_.columns) * sizes_.rows, blank);

    editing_ = false;
    editor_ = std::move(editor);
    if (editor_ != nullptr) {
        editor_->create(this);
        if (auto* edit = qobject_cast<CCellArrayEdit*>(editor_->getWindow())) {
            connect(edit, &CCellArrayEdit::accepted, this, &CCellArray::endEdit);
            connect(edit, &CCellArrayEdit::cancelled, this, &CCellArray::cancelEdit);
        }
    }
    relayout();
    updateGeometry();
    update();
}

CCell& CCellArray::cell(int column, int row) {
    return const_cast<CCell&>(std::as_const(*this).cell(column, row));
}

const CCell& CCellArray::cell(int column, int row) const {
    if (column < 0 || row < 0 || column >= sizes_.columns || row >= sizes_.rows) {
        throw std::out_of_range("CCellArray::cell");
    }
    return cells_[static_cast<size_t>(row) * sizes_.columns + column];
}

CCell& CCellArray::columnHeader(int column) {
    return columnHeaders_.at(column);
}

CCell& CCellArray::rowHeader(int row) {
    return rowHeaders_.at(row);
}

CCell& CCellArray::cellAt(int column, int row) {
    if (column == -1 && row == -1) {
        return corner_;
    }
    if (row == -1) {
        return columnHeader(column);
    }
    if (column == -1) {
        return rowHeader(row);
    }
    return cell(column, row);
}

template <class Visit> void CCellArray::forEachCell(Visit visit) const {
    visit(corner_, -1, -1);
    for (int c = 0; c < sizes_.columns; ++c) {
        visit(columnHeaders_[c], c, -1);
    }
    for (int r = 0; r < sizes_.rows; ++r) {
        visit(rowHeaders_[r], -1, r);
        for (int c = 0; c < sizes_.columns; ++c) {
            visit(cell(c, r), c, r);
        }
    }
}

std::vector<CCell> CCellArray::cellsNow() const {
    std::vector<CCell> cells;
    cells.reserve(1 + columnHeaders_.size() + rowHeaders_.size() + cells_.size());
    forEachCell([&cells](const CCell& cell, int, int) { cells.push_back(cell); });
    return cells;
}

void CCellArray::updateChangedCells(const std::vector<CCell>& before) {
    size_t i = 0;
    forEachCell([&](const CCell& cell, int column, int row) {
        if (i >= before.size() || before[i] != cell) {
            updateCell(column, row);
        }
        ++i;
    });
}

void CCellArray::editCell(int column, int row, const QString& text) {
    if (editing_) {
        endEdit();
    }
    const bool inGrid = column >= -1 && row >= -1 && column < sizes_.columns && row < sizes_.rows &&
                        !(column == -1 && row == -1);
    if (editor_ == nullptr || !inGrid) {
        return;
    }
    edited_ = {column, row};
    editing_ = true;
    if (QWidget* window = editor_->getWindow()) {
        window->setFont(cellFont_);
    }
    editor_->move(cellRect(column, row));
    editor_->setText(text);
    editor_->show(true);
}

void CCellArray::endEdit() {
    finishEdit(true);
}

void CCellArray::cancelEdit() {
    finishEdit(false);
}

void CCellArray::finishEdit(bool keepText) {
    if (!editing_) {
        return;
    }
    // Cleared first: getText may open a message box, and the focus it takes must not end
    // the same edit twice.
    editing_ = false;
    const bool editorHadFocus = editor_->getWindow() != nullptr && editor_->getWindow()->hasFocus();
    editor_->show(false);
    if (editorHadFocus) {
        setFocus(Qt::OtherFocusReason);
    }
    if (keepText) {
        const QString text = editor_->getText();
        if (!text.isEmpty()) {
            cellAt(edited_.column, edited_.row).setTxt(text);
        }
    }
    update();
}

QSize CCellArray::sizeHint() const {
    return sizes_.natural();
}

QSize CCellArray::minimumSizeHint() const {
    return sizes_.natural() / 3;
}

void CCellArray::relayout() {
    layout_ = CellLayout(sizes_, size());
    const QRect sample = layout_.cellRect(0, 0);
    cellFont_ = fittedFont(font_, sample.height() - 1, sample.width() - 2 * textMargin_);
    if (editing_) {
        editor_->move(cellRect(edited_.column, edited_.row));
    }
}

void CCellArray::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

bool CCellArray::isValueCell(CellPosition position) const {
    return position.column >= 0 && position.row >= 0 && position.column < sizes_.columns &&
           position.row < sizes_.rows;
}

void CCellArray::selectRectangle(CellPosition from, CellPosition to) {
    const int left = std::min(from.column, to.column);
    const int right = std::max(from.column, to.column);
    const int top = std::min(from.row, to.row);
    const int bottom = std::max(from.row, to.row);
    for (int r = 0; r < sizes_.rows; ++r) {
        for (int c = 0; c < sizes_.columns; ++c) {
            const bool inside = c >= left && c <= right && r >= top && r <= bottom;
            cell(c, r).setSelected(inside ? 1 : 0);
        }
    }
    update();
}

void CCellArray::mousePressEvent(QMouseEvent* event) {
    if (editing_) {
        endEdit();
    }
    const auto position = layout_.cellAt(event->position().toPoint());
    if (!position || !isValueCell(*position)) {
        return;
    }
    if (event->button() == Qt::RightButton) {
        // The context menu works on the selection: a cell outside it becomes the selection,
        // a cell inside keeps the block the menu is meant for.
        if (!cell(position->column, position->row).isSelected()) {
            anchor_ = *position;
            selectRectangle(*position, *position);
        }
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (event->modifiers().testFlag(Qt::ShiftModifier) && isValueCell(anchor_)) {
        selectRectangle(anchor_, *position);
    } else {
        anchor_ = *position;
        selectRectangle(*position, *position);
    }
    dragging_ = true;
}

void CCellArray::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && isValueCell(anchor_)) {
        selectRectangle(anchor_, layout_.nearestValueCell(event->position().toPoint()));
    }
}

void CCellArray::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void CCellArray::mouseDoubleClickEvent(QMouseEvent* event) {
    const auto position = layout_.cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && position) {
        editCell(position->column, position->row, cellAt(position->column, position->row).getTxt());
    }
}

void CCellArray::keyPressEvent(QKeyEvent* event) {
    // Typing on the selection edits its first cell (the first in column order).
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool rename = event->key() == Qt::Key_F2;
    if (!printable && !rename) {
        QWidget::keyPressEvent(event);
        return;
    }
    for (int c = 0; c < sizes_.columns; ++c) {
        for (int r = 0; r < sizes_.rows; ++r) {
            if (!cell(c, r).isSelected()) {
                continue;
            }
            editCell(c, r, rename ? cell(c, r).getTxt() : typed);
            auto* edit = editor_ ? qobject_cast<QLineEdit*>(editor_->getWindow()) : nullptr;
            if (edit != nullptr && !rename) {
                edit->deselect(); // keep typing after the first character
            }
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void CCellArray::paintCell(QPainter& painter, const QRect& rect, const CCell& cell,
                           const QColor& background) const {
    painter.fillRect(rect, background);
    painter.setPen(textColourOn(background, colours_.text));
    if (cell.isPending()) {
        QFont italic = cellFont_;
        italic.setItalic(true);
        painter.setFont(italic);
    }
    painter.drawText(rect.adjusted(textMargin_, 0, -textMargin_, 0), Qt::AlignCenter,
                     cell.getTxt());
    if (cell.isPending()) {
        painter.setFont(cellFont_);
    }
}

void CCellArray::paintEvent(QPaintEvent* event) {
    // Most repaints are a cell or two (the operating point moving): the rest is not drawn.
    const QRect dirty = event->rect();
    QPainter painter(this);
    painter.fillRect(dirty, colours_.background);
    painter.setFont(cellFont_);

    std::vector<bool> columnSelected(sizes_.columns, false);
    std::vector<bool> rowSelected(sizes_.rows, false);
    for (int r = 0; r < sizes_.rows; ++r) {
        for (int c = 0; c < sizes_.columns; ++c) {
            const CCell& value = cell(c, r);
            if (value.isSelected()) {
                columnSelected[c] = rowSelected[r] = true;
            }
            const QRect area = cellRect(c, r);
            if (!area.intersects(dirty)) {
                continue;
            }
            const QColor background = value.isCurrent()    ? value.getCurrentCellColor()
                                      : value.isSelected() ? colours_.selection
                                                           : value.getBkColor();
            paintCell(painter, area, value, background);
            if (value.isCurrent() && value.isSelected()) {
                painter.setPen(QPen(colours_.selection, 2));
                painter.drawRect(area.adjusted(1, 1, -1, -1));
            }
        }
    }
    const auto paintHeader = [&](int column, int row, const CCell& header, bool selected) {
        const QRect area = cellRect(column, row);
        if (area.intersects(dirty)) {
            paintCell(painter, area, header, selected ? colours_.selectedHeader : colours_.header);
        }
    };
    paintHeader(-1, -1, corner_, false);
    for (int c = 0; c < sizes_.columns; ++c) {
        paintHeader(c, -1, columnHeaders_[c], columnSelected[c]);
    }
    for (int r = 0; r < sizes_.rows; ++r) {
        paintHeader(-1, r, rowHeaders_[r], rowSelected[r]);
    }

    // Grid lines on every cell edge; the closing edges on the widget's last pixel.
    painter.setPen(QPen(colours_.gridLine, 0));
    for (int x : layout_.columnEdges()) {
        const int at = std::min(x, width() - 1);
        painter.drawLine(at, 0, at, layout_.rowEdges().back() - 1);
    }
    for (int y : layout_.rowEdges()) {
        const int at = std::min(y, height() - 1);
        painter.drawLine(0, at, layout_.columnEdges().back() - 1, at);
    }
}

} // namespace krv
