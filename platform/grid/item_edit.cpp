#include "platform/grid/item_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace krv {

namespace {
// Longer than any number a cell shows; keeps a pasted block of text out of the grid.
constexpr int kMaxEditLength = 32;
} // namespace

CCellArrayEdit::CCellArrayEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxEditLength);
    setFrame(false);
    hide();
}

void CCellArrayEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit accepted();
        return;
    case Qt::Key_Escape:
        emit cancelled();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void CCellArrayEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Leaving the cell by mouse or Tab keeps what was typed; a window switch or a popup
    // leaves the edit open.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
        reason == Qt::BacktabFocusReason) {
        emit accepted();
    }
}

void CItemEdit::create(QWidget* parent) {
    edit_ = new CCellArrayEdit(parent);
}

void CItemEdit::show(bool visible) {
    if (edit_ == nullptr) {
        return;
    }
    edit_->setVisible(visible);
    if (visible) {
        edit_->setFocus(Qt::OtherFocusReason);
    }
}

void CItemEdit::move(const QRect& rect) {
    if (edit_ != nullptr) {
        edit_->setGeometry(rect);
    }
}

QWidget* CItemEdit::getWindow() const {
    return edit_;
}

QString CItemEdit::getText() {
    return edit_ != nullptr ? edit_->text() : QString();
}

void CItemEdit::setText(const QString& text) {
    if (edit_ != nullptr) {
        edit_->setText(text);
        edit_->selectAll();
    }
}

} // namespace krv
