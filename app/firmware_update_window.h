#pragma once
// The firmware update's window services on Qt: the window's file chooser, the wait cursor and
// the owner of its message boxes. The update runs on the connection worker; each service is
// carried out on the user-interface thread.

#include "app/ui_gate.h"
#include "app/update_progress_dlg.h"
#include "firmware/update/firmware_update_window.h"
#include "platform/qt/open_file.h"

class QWidget;

namespace krv {

class CQtFirmwareUpdateWindow : public IFirmwareUpdateWindow {
public:
    CQtFirmwareUpdateWindow(QWidget& owner, CUiGate& gate, IFileChooser& files)
        : owner_(owner), gate_(gate), files_(files), progress_(&owner) {}

    std::u16string selectFile(const std::u16string& initialDirectory, const std::u16string& filter,
                              const std::u16string& defaultExtension) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    MessageOwner messageOwner() override { return &owner_; }
    void showProgress(const FirmwareUpdateProgress& progress) override;

    // On the user-interface thread: the progress display goes when the update has ended.
    void finish() { progress_.finish(); }
    const CUpdateProgressDlg& progress() const { return progress_; }
    // The file the last selectFile gave ("" when cancelled); on the update's thread, as
    // selectFile.
    const std::u16string& chosenFile() const { return chosen_; }

private:
    QWidget& owner_;
    CUiGate& gate_;
    IFileChooser& files_;
    CUpdateProgressDlg progress_;
    std::u16string chosen_;
};

} // namespace krv
