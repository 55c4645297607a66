#include "cli/console_window.h"

#include "cli/cli_text.h"
#include "firmware/update/firmware_update.h"
#include "platform/text.h"

namespace krv::cli {

int ConsoleMessages::show(MessageOwner, const std::u16string& text, const std::u16string&,
                          unsigned style) {
    const std::lock_guard lock(mutex_);
    err_ << oneLine(text) << std::endl;
    if ((style & MB_BUTTONS_MASK) == MB_YESNO && answerYes_) {
        return IDYES;
    }
    return defaultButton(style);
}

bool ConsoleWindow::takeExpired(int id, Clock::time_point now) {
    const std::lock_guard lock(timersMutex_);
    const auto timer = timers_.find(id);
    if (timer == timers_.end() || timer->second > now) {
        return false;
    }
    timers_.erase(timer);
    return true;
}

void ConsoleWindow::startTimer(int id, int milliseconds) {
    const std::lock_guard lock(timersMutex_);
    timers_[id] = Clock::now() + std::chrono::milliseconds(milliseconds);
}

void ConsoleWindow::stopTimer(int id) {
    const std::lock_guard lock(timersMutex_);
    timers_.erase(id);
}

bool ConsoleWindow::updateFirmware(bool forced) {
    if (firmwareFile_.empty()) {
        return false;
    }
    const bool programmed = krv::updateFirmware(device_, *this, forced);
    progress_.finish();
    if (forced) {
        forcedUpdateResult_ = programmed;
    }
    return programmed;
}

void ConsoleWindow::showProgress(const FirmwareUpdateProgress& progress) {
    if (!quiet_) {
        progress_.show(progress);
    }
}

} // namespace krv::cli
