#include "map/map_key_filter.h"

#include "map/map_array.h"

#include <QKeyEvent>
#include <QWidget>

namespace krv {

CMapKeyFilter::CMapKeyFilter(CMapArray& map, QWidget& window, QObject* parent)
    : QObject(parent), map_(&map), window_(&window) {}

const QKeyEvent* keyPressIn(const QWidget* window, QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || window == nullptr) {
        return nullptr;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != window) {
        return nullptr;
    }
    return static_cast<const QKeyEvent*>(event);
}

bool CMapKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QKeyEvent* key = keyPressIn(window_, watched, event);
    if (key == nullptr || map_ == nullptr) {
        return false;
    }
    const int virtualKey = CMapArray::virtualKeyOf(key->key());
    if (virtualKey == 0) {
        return false;
    }
    if (!map_->isEnabled()) {
        return true; // held back while an operation runs; Escape still never closes the window
    }
    return map_->handleKey(virtualKey, key->modifiers().testFlag(Qt::ControlModifier),
                           key->modifiers().testFlag(Qt::ShiftModifier));
}

} // namespace krv
