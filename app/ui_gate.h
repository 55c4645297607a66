#pragma once
// How another thread reaches the user-interface thread: post a task, or call one and wait for
// its answer while the window stays live. Once closed, posted tasks are dropped and callers
// waiting for an answer get their fallback at once, so a window that goes away never waits
// for a thread that waits for it.

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace krv {

class CUiGate : public QObject {
    Q_OBJECT
public:
    // Lives on the thread that makes it.
    CUiGate() = default;

    bool onUiThread() const { return QThread::currentThread() == thread(); }

    // Runs the task later on the user-interface thread, always queued so posts keep their order.
    void post(std::function<void()> task);

    // Runs the task on the user-interface thread and returns its answer; in place when called
    // there. Gives fallback when the gate is (or becomes) closed before the answer.
    template <class Result> Result call(std::function<Result()> task, Result fallback);

    void close();

private:
    std::mutex mutex_;
    std::condition_variable answered_;
    bool closed_ = false;
};

template <class Result> Result CUiGate::call(std::function<Result()> task, Result fallback) {
    if (onUiThread()) {
        return task();
    }
    auto answer = std::make_shared<std::optional<Result>>();
    post([this, answer, task = std::move(task)] {
        Result result = task();
        {
            std::lock_guard lock(mutex_);
            *answer = std::move(result);
        }
        answered_.notify_all();
    });
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return closed_ || answer->has_value(); });
    return answer->has_value() ? std::move(**answer) : fallback;
}

} // namespace krv
