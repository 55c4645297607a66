#pragma once
// When the machine stood still: a bare thread that does nothing but sleep 5 ms at a time notes
// every wake-up that came late. It needs no more than a moment of a processor, so it is late
// only when the machine itself was held (a virtual machine paused by its host, its timers held
// back) or every processor was busy. A stall of the window's loop inside such a stretch is not
// the window's own work; whether the tool's threads kept the processors busy is for the caller
// to rule out (bench_ui_stall measures the longest event the window handled).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace krv::test {

class CMachinePauses {
public:
    using Clock = std::chrono::steady_clock;
    struct Span {
        Clock::time_point from;
        Clock::time_point to;
    };

    CMachinePauses() : watch_([this] { watch(); }) {}
    ~CMachinePauses() { stop(); }
    CMachinePauses(const CMachinePauses&) = delete;
    CMachinePauses& operator=(const CMachinePauses&) = delete;

    // Ends the watch; the pauses seen until then, in order.
    const std::vector<Span>& stop() {
        running_ = false;
        if (watch_.joinable()) {
            watch_.join();
        }
        return pauses_;
    }

    // How much of span no pause covers (stop() first).
    Clock::duration uncovered(const Span& span) const {
        Clock::duration covered{};
        for (const Span& pause : pauses_) {
            const Clock::time_point from = std::max(span.from, pause.from);
            const Clock::time_point to = std::min(span.to, pause.to);
            covered += std::max(to - from, Clock::duration::zero());
        }
        return (span.to - span.from) - covered;
    }

    Clock::duration longest() const {
        Clock::duration longest{};
        for (const Span& pause : pauses_) {
            longest = std::max(longest, pause.to - pause.from);
        }
        return longest;
    }

private:
    static constexpr std::chrono::milliseconds kSleep{5};
    static constexpr std::chrono::milliseconds kNoticed{1};

    void watch() {
        while (running_) {
            const Clock::time_point due = Clock::now() + kSleep;
            std::this_thread::sleep_for(kSleep);
            const Clock::time_point awake = Clock::now();
            if (awake - due > kNoticed) {
                pauses_.push_back({due, awake});
            }
        }
    }

    std::atomic<bool> running_{true};
    std::vector<Span> pauses_; // the watch's own until stop() joins it
    std::thread watch_;
};

} // namespace krv::test
