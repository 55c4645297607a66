#pragma once
// The firmware update's window services on Qt: the file dialog, the wait cursor and the owner
// of its message boxes.

#include "firmware/update/firmware_update_window.h"

class QWidget;

namespace krv {

class CQtFirmwareUpdateWindow : public IFirmwareUpdateWindow {
public:
    explicit CQtFirmwareUpdateWindow(QWidget& owner) : owner_(owner) {}

    std::u16string selectFile(const std::u16string& initialDirectory, const std::u16string& filter,
                              const std::u16string& defaultExtension) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    MessageOwner messageOwner() override { return &owner_; }

private:
    QWidget& owner_;
};

} // namespace krv
