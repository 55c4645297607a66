#pragma once
// The main window as the firmware update sees it, for tests: the connection's window and the
// update's window, answering the file dialog as scripted and recording what the update asked.

#include "connection/lpg_connection.h"
#include "firmware/update/firmware_update_window.h"
#include "tests/support/test_window.h"

#include <chrono>
#include <deque>
#include <string>
#include <vector>

namespace krv::test {

// The main window as the update sees it: the connection's window and the update's window.
class CUpdateWindow : public CTestWindow, public IFirmwareUpdateWindow {
public:
    struct FileDialog {
        std::u16string initialDirectory;
        std::u16string filter;
        std::u16string defaultExtension;
    };

    void setDevice(CLPGConnection* device) { device_ = device; }
    // The file dialog's next answers; when they run out the dialog is cancelled.
    void answerFiles(std::deque<std::u16string> paths) { files_ = std::move(paths); }

    // IConnectionHost: the update runs for real.
    bool updateFirmware(bool forced) override;

    // IFirmwareUpdateWindow
    std::u16string selectFile(const std::u16string& initialDirectory, const std::u16string& filter,
                              const std::u16string& defaultExtension) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    MessageOwner messageOwner() override { return this; }
    void showProgress(const FirmwareUpdateProgress& shown) override { progress.push_back(shown); }

    int waitCursorDepth() const { return cursorDepth_; }

    std::vector<bool> updates;       // forced flag of each update run
    std::vector<bool> results;       // result of each update that returned
    std::vector<FileDialog> dialogs; // every file dialog shown
    std::vector<FirmwareUpdateProgress> progress;
    std::vector<std::chrono::milliseconds> sleeps;
    std::vector<int> cursorDepthAtSleep;
    int cursorBegins = 0;

private:
    CLPGConnection* device_ = nullptr;
    std::deque<std::u16string> files_;
    int cursorDepth_ = 0;
};

} // namespace krv::test
