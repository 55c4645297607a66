#include "map/map_key_filter.h"

#include "map/map_array.h"

#include <QKeyEvent>
#include <QWidget>

namespace krv {

CMapKeyFilter::CMapKeyFilter(CMapArray& map, QWidget& window, QObject* parent)
    : QObject(parent), map_(&map), window_(&window) {}

bool CMapKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || map_ == nullptr || window_ == nullptr) {
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != window_) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
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
