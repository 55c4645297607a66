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

bool ConsoleWindow::takeReconnectDue(Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    if (!reconnectDue_ || *reconnectDue_ > now) {
        return false;
    }
    reconnectDue_.reset();
    return true;
}

std::optional<ControllerData> ConsoleWindow::loadedData() const {
    const std::lock_guard lock(mutex_);
    return loaded_;
}

void ConsoleWindow::dataLoaded(const ControllerData& data) {
    const std::lock_guard lock(mutex_);
    loaded_ = data;
}

void ConsoleWindow::linkLost(std::chrono::milliseconds reconnectAfter) {
    const std::lock_guard lock(mutex_);
    reconnectDue_ = Clock::now() + reconnectAfter;
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
