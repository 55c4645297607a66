#pragma once
// A stand-in for the window that a connection worker serves.

#include "connection/connection_worker.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace krv::test {

using namespace std::chrono_literals;

// Stands for the window's thread: posted tasks wait until the test runs them.
class CTestWorkerWindow : public IWorkerWindow {
public:
    void post(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(std::move(task));
        }
        changed_.notify_all();
    }
    void operationStarted(const std::u16string& statusText) override {
        events.push_back(u"start " + statusText);
    }
    void operationEnded() override { events.push_back(u"end"); }
    void* errorOwner() override { return this; }

    // Runs the posted tasks as they come until `count` have run.
    bool runPosted(size_t count, std::chrono::milliseconds timeout = 20s) {
        size_t done = 0;
        return runPostedUntil([&] { return done++ == count; }, timeout);
    }

    // Runs the posted tasks as they come until the condition holds (checked between tasks).
    bool runPostedUntil(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex_);
                if (!changed_.wait_until(lock, deadline, [this] { return !posted_.empty(); })) {
                    return false;
                }
                task = std::move(posted_.front());
                posted_.pop_front();
            }
            task();
        }
        return true;
    }

    std::vector<std::u16string> events; // on the test's thread only

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> posted_;
};

} // namespace krv::test
