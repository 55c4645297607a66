#pragma once
// The connection's window for tests: answers as scripted and records what the connection
// asked of it.

#include "connection/main_window.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace krv::test {

using namespace std::chrono_literals;

// Timer calls arrive from the polling thread as well as from the test's own thread.
class CTestWindow : public IMainWindow {
public:
    bool chooseDemoMode() override;
    void startTimer(int id, int milliseconds) override;
    void stopTimer(int id) override;
    bool updateFirmware(bool forced) override;
    void setStatusText(const std::u16string& text) override;
    void onReconnected() override;

    void answerDemo(bool demo) { demoAnswer_ = demo; }
    // Runs in place of the firmware update; the default fails it.
    void onFirmwareUpdate(std::function<bool(bool forced)> update) { update_ = std::move(update); }

    int demoQuestions() const;
    std::vector<bool> firmwareUpdates() const;
    std::vector<std::u16string> statusTexts() const;
    int reconnectedCount() const;
    // Period of a running timer, 0 when it is not running.
    int timerPeriod(int id) const;
    // Waits until the timer runs with this period.
    bool waitForTimer(int id, int milliseconds, std::chrono::milliseconds timeout = 20s);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool demoAnswer_ = false;
    std::function<bool(bool)> update_;
    int demoQuestions_ = 0;
    std::vector<bool> firmwareUpdates_;
    std::vector<std::u16string> statusTexts_;
    int reconnected_ = 0;
    std::map<int, int> timers_;
};

} // namespace krv::test
