#include "app/firmware_update_window.h"

#include "platform/qt/open_file.h"

#include <QCursor>
#include <QGuiApplication>

namespace krv {

std::u16string CQtFirmwareUpdateWindow::selectFile(const std::u16string& initialDirectory,
                                                   const std::u16string& filter,
                                                   const std::u16string& defaultExtension) {
    return COpenFile(initialDirectory, filter, defaultExtension, 0).selectFile();
}

void CQtFirmwareUpdateWindow::beginWaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtFirmwareUpdateWindow::endWaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace krv
