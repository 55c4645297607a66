#include "platform/threads.h"

#include "platform/error.h"

namespace krv {

bool CThread::sleepUnlessStopped(std::chrono::milliseconds duration) {
    std::unique_lock lock(wakeMutex_);
    return !wake_.wait_for(lock, duration, [this] { return stopRequested_.load(); });
}

void CThread::requestStop() {
    {
        // Set under the lock so a sleeper cannot miss the wake-up between its check and its wait.
        std::lock_guard lock(wakeMutex_);
        stopRequested_.store(true);
    }
    wake_.notify_all();
}

CThreadManager::~CThreadManager() {
    stopAll();
}

void CThreadManager::insert(CSemThread* thread) {
    std::lock_guard lock(entriesMutex_);
    reapFinished();
    Entry& entry = entries_.emplace_back();
    entry.thread = thread;
    try {
        entry.worker = std::thread([thread, &finished = entry.finished] {
            try {
                thread->run();
            } catch (IError* error) {
                delete error; // raised errors are owned by whoever catches them
            } catch (...) {
                // The thread owns its failures; one escaping here ends this thread only.
            }
            finished.store(true);
        });
    } catch (...) {
        entries_.pop_back();
        delete thread;
        throw;
    }
}

void CThreadManager::stopAll() {
    // Repeated until empty: a thread may insert another while it is being stopped.
    while (true) {
        std::list<Entry> stopping;
        {
            std::lock_guard lock(entriesMutex_);
            for (Entry& entry : entries_) {
                entry.thread->requestStop();
            }
            stopping.splice(stopping.end(), entries_);
        }
        if (stopping.empty()) {
            return;
        }
        // Joined outside the lock: a finishing thread may still call into the manager.
        for (Entry& entry : stopping) {
            entry.worker.join();
            delete entry.thread;
        }
    }
}

size_t CThreadManager::runningCount() const {
    std::lock_guard lock(entriesMutex_);
    size_t running = 0;
    for (const Entry& entry : entries_) {
        running += entry.finished.load() ? 0 : 1;
    }
    return running;
}

void CThreadManager::reapFinished() {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->finished.load()) {
            it->worker.join();
            delete it->thread;
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace krv
