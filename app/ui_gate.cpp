#include "app/ui_gate.h"

namespace krv {

void CUiGate::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return;
        }
    }
    QMetaObject::invokeMethod(
        this,
        [this, task = std::move(task)] {
            {
                std::lock_guard lock(mutex_);
                if (closed_) {
                    return;
                }
            }
            task();
        },
        Qt::QueuedConnection);
}

void CUiGate::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    answered_.notify_all();
}

} // namespace krv
