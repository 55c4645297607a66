#include "app/firmware_update_window.h"

#include <QCursor>
#include <QGuiApplication>

namespace krv {

std::u16string CQtFirmwareUpdateWindow::selectFile(const std::u16string& initialDirectory,
                                                   const std::u16string& filter,
                                                   const std::u16string& defaultExtension) {
    chosen_ = gate_.call<std::u16string>(
        [=, this] {
            return files_.choose(COpenFile(initialDirectory, filter, defaultExtension, 0));
        },
        std::u16string());
    return chosen_;
}

void CQtFirmwareUpdateWindow::showProgress(const FirmwareUpdateProgress& progress) {
    gate_.post([this, progress] { progress_.showProgress(progress); });
}

// Waited for, so the cursor is up before the messages that follow it.
void CQtFirmwareUpdateWindow::beginWaitCursor() {
    gate_.call<bool>(
        [] {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            return true;
        },
        false);
}

void CQtFirmwareUpdateWindow::endWaitCursor() {
    gate_.call<bool>(
        [] {
            QGuiApplication::restoreOverrideCursor();
            return true;
        },
        false);
}

} // namespace krv
