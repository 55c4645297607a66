#include "app/spin_button.h"

#include <QToolButton>

namespace krv {

namespace {

QToolButton* arrowButton(QWidget* parent, Qt::ArrowType arrow) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

CSpinButton::CSpinButton(QWidget* parent)
    : QWidget(parent), up_(arrowButton(this, Qt::UpArrow)),
      down_(arrowButton(this, Qt::DownArrow)) {
    QObject::connect(up_, &QToolButton::clicked, this, [this] { emit stepped(-1); });
    QObject::connect(down_, &QToolButton::clicked, this, [this] { emit stepped(+1); });
}

void CSpinButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int upperHeight = height() / 2;
    up_->setGeometry(0, 0, width(), upperHeight);
    down_->setGeometry(0, upperHeight, width(), height() - upperHeight);
}

} // namespace krv
