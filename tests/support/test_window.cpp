#include "tests/support/test_window.h"

namespace krv::test {

bool CTestWindow::chooseDemoMode() {
    std::lock_guard lock(mutex_);
    ++demoQuestions_;
    return demoAnswer_;
}

void CTestWindow::setTimer(int id, int milliseconds) {
    {
        std::lock_guard lock(mutex_);
        if (milliseconds == 0) {
            timers_.erase(id);
        } else {
            timers_[id] = milliseconds;
        }
    }
    changed_.notify_all();
}

void CTestWindow::dataLoaded(const ControllerData& data) {
    {
        std::lock_guard lock(mutex_);
        loads_.push_back(data);
    }
    setTimer(kReconnectTimer, 0); // the link is up: no reconnect is due
}

void CTestWindow::readingsStarted() {
    setTimer(kReadingsTimer, 100);
}

void CTestWindow::readingsStopped() {
    setTimer(kReadingsTimer, 0);
}

void CTestWindow::linkLost(std::chrono::milliseconds reconnectAfter) {
    setTimer(kReconnectTimer, static_cast<int>(reconnectAfter.count()));
}

bool CTestWindow::updateFirmware(bool forced) {
    std::function<bool(bool)> update;
    {
        std::lock_guard lock(mutex_);
        firmwareUpdates_.push_back(forced);
        update = update_;
    }
    return update ? update(forced) : false;
}

void CTestWindow::setStatusText(const std::u16string& text) {
    std::lock_guard lock(mutex_);
    statusTexts_.push_back(text);
}

void CTestWindow::reconnected() {
    std::lock_guard lock(mutex_);
    ++reconnected_;
}

int CTestWindow::demoQuestions() const {
    std::lock_guard lock(mutex_);
    return demoQuestions_;
}

std::vector<bool> CTestWindow::firmwareUpdates() const {
    std::lock_guard lock(mutex_);
    return firmwareUpdates_;
}

std::vector<std::u16string> CTestWindow::statusTexts() const {
    std::lock_guard lock(mutex_);
    return statusTexts_;
}

int CTestWindow::reconnectedCount() const {
    std::lock_guard lock(mutex_);
    return reconnected_;
}

std::vector<ControllerData> CTestWindow::loads() const {
    std::lock_guard lock(mutex_);
    return loads_;
}

int CTestWindow::timerPeriod(int id) const {
    std::lock_guard lock(mutex_);
    const auto timer = timers_.find(id);
    return timer == timers_.end() ? 0 : timer->second;
}

bool CTestWindow::waitForTimer(int id, int milliseconds, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        const auto timer = timers_.find(id);
        return timer != timers_.end() && timer->second == milliseconds;
    });
}

} // namespace krv::test
