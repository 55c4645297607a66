#pragma once
// Collects the regions a widget paints, to see that a change repaints only what it changed.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>
#include <functional>

namespace krv::test {

class CPaintRecorder : public QObject {
public:
    explicit CPaintRecorder(QWidget& widget) : widget_(widget) { widget.installEventFilter(this); }
    ~CPaintRecorder() override { widget_.removeEventFilter(this); }

    // What the widget painted for the change, once the paints pending before it were done.
    QRegion repaintedAfter(const std::function<void()>& change) {
        QCoreApplication::processEvents();
        painted_ = QRegion();
        change();
        QCoreApplication::processEvents();
        return painted_;
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted_ += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QWidget& widget_;
    QRegion painted_;
};

} // namespace krv::test
