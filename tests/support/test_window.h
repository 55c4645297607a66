#pragma once
// The connection's host for tests: answers as scripted and records what the connection asked
// of it and told it. Its events show as the two timers a window runs: the readings refresh
// while readings flow, and the reconnect a lost link asks for.

#include "connection/connection_host.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace krv::test {

using namespace std::chrono_literals;

// Events arrive from the polling thread as well as from the test's own thread.
class CTestWindow : public IConnectionHost {
public:
    static constexpr int kReadingsTimer = 2000;
    static constexpr int kReconnectTimer = 2001;

    bool chooseDemoMode() override;
    bool updateFirmware(bool forced) override;
    void setStatusText(const std::u16string& text) override;
    void dataLoaded(const ControllerData& data) override;
    void readingsStarted() override;
    void readingsStopped() override;
    void linkLost(std::chrono::milliseconds reconnectAfter) override;
    void reconnected() override;

    void answerDemo(bool demo) { demoAnswer_ = demo; }
    // Runs in place of the firmware update; the default fails it.
    void onFirmwareUpdate(std::function<bool(bool forced)> update) { update_ = std::move(update); }

    int demoQuestions() const;
    std::vector<bool> firmwareUpdates() const;
    std::vector<std::u16string> statusTexts() const;
    int reconnectedCount() const;
    // What each connection read, oldest first.
    std::vector<ControllerData> loads() const;
    // Period of a running timer, 0 when it is not running.
    int timerPeriod(int id) const;
    // Waits until the timer runs with this period.
    bool waitForTimer(int id, int milliseconds, std::chrono::milliseconds timeout = 20s);

private:
    void setTimer(int id, int milliseconds); // 0 stops it

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool demoAnswer_ = false;
    std::function<bool(bool)> update_;
    int demoQuestions_ = 0;
    std::vector<bool> firmwareUpdates_;
    std::vector<std::u16string> statusTexts_;
    int reconnected_ = 0;
    std::vector<ControllerData> loads_;
    std::map<int, int> timers_;
};

} // namespace krv::test
