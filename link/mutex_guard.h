#pragma once

#include "platform/threads.h"

namespace krv {

// Holds a CMSGMutex for its lifetime; a null mutex is allowed and guards nothing.
class CMutexGuard {
public:
    explicit CMutexGuard(CMSGMutex* mutex) : mutex_(mutex) {
        if (mutex_ != nullptr) {
            mutex_->lock();
        }
    }
    explicit CMutexGuard(CMSGMutex& mutex) : CMutexGuard(&mutex) {}
    CMutexGuard(const CMutexGuard&) = delete;
    CMutexGuard& operator=(const CMutexGuard&) = delete;
    virtual ~CMutexGuard() {
        if (mutex_ != nullptr) {
            mutex_->unlock();
        }
    }

private:
    CMSGMutex* mutex_;
};

} // namespace krv
