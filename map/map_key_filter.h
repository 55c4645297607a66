#pragma once
// The main window's key pre-translation: arrow keys and Escape pressed anywhere in the window
// go to the map first, whichever control has the focus. Install it on the application.

#include <QObject>
#include <QPointer>

class QEvent;
class QKeyEvent;
class QWidget;

namespace krv {

class CMapArray;

// The key press that event is when it is aimed at window or one of its controls; null for
// any other event, and for the keys of a message box or another window.
const QKeyEvent* keyPressIn(const QWidget* window, QObject* watched, QEvent* event);

class CMapKeyFilter : public QObject {
    Q_OBJECT
public:
    // Only key presses aimed at window or one of its controls are looked at, so the keys of
    // a message box or another window are left alone.
    CMapKeyFilter(CMapArray& map, QWidget& window, QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<CMapArray> map_;
    QPointer<QWidget> window_;
};

} // namespace krv
