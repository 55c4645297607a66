#include "tests/support/update_window.h"

#include "firmware/update/firmware_update.h"

namespace krv::test {

bool CUpdateWindow::updateFirmware(bool forced) {
    updates.push_back(forced);
    const bool result =
        krv::updateFirmware(*device_, *this, forced, [this](std::chrono::milliseconds pause) {
            sleeps.push_back(pause);
            cursorDepthAtSleep.push_back(cursorDepth_);
        });
    results.push_back(result);
    return result;
}

std::u16string CUpdateWindow::selectFile(const std::u16string& initialDirectory,
                                         const std::u16string& filter,
                                         const std::u16string& defaultExtension) {
    dialogs.push_back({initialDirectory, filter, defaultExtension});
    if (files_.empty()) {
        return u"";
    }
    std::u16string path = files_.front();
    files_.pop_front();
    return path;
}

void CUpdateWindow::beginWaitCursor() {
    ++cursorDepth_;
    ++cursorBegins;
}

void CUpdateWindow::endWaitCursor() {
    --cursorDepth_;
}

} // namespace krv::test
