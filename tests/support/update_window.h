#pragma once
// The main window as the firmware update sees it, for tests: the connection's window and the
// update's window, answering the file dialog as scripted and recording what the update asked.

#include "connection/lpg_connection.h"
#include "connection/main_window.h"
#include "firmware/update/firmware_update_window.h"

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace krv::test {

// The main window as the update sees it: the connection's window and the update's window.
class CUpdateWindow : public IMainWindow, public IFirmwareUpdateWindow {
public:
    struct FileDialog {
        std::u16string initialDirectory;
        std::u16string filter;
        std::u16string defaultExtension;
    };

    void setDevice(CLPGConnection* device) { device_ = device; }
    // The file dialog's next answers; when they run out the dialog is cancelled.
    void answerFiles(std::deque<std::u16string> paths) { files_ = std::move(paths); }

    // IMainWindow
    bool chooseDemoMode() override;
    void startTimer(int id, int milliseconds) override;
    void stopTimer(int id) override;
    bool updateFirmware(bool forced) override;
    void setStatusText(const std::u16string&) override {}
    void onReconnected() override {}

    // IFirmwareUpdateWindow
    std::u16string selectFile(const std::u16string& initialDirectory, const std::u16string& filter,
                              const std::u16string& defaultExtension) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    MessageOwner messageOwner() override { return this; }
    void showProgress(const FirmwareUpdateProgress& shown) override { progress.push_back(shown); }

    int timerPeriod(int id) const; // 0 when not running
    int waitCursorDepth() const { return cursorDepth_; }

    std::vector<bool> updates;       // forced flag of each update run
    std::vector<bool> results;       // result of each update that returned
    std::vector<FileDialog> dialogs; // every file dialog shown
    std::vector<FirmwareUpdateProgress> progress;
    std::vector<std::chrono::milliseconds> sleeps;
    std::vector<int> cursorDepthAtSleep;
    int cursorBegins = 0;
    int demoQuestions = 0;

private:
    CLPGConnection* device_ = nullptr;
    std::deque<std::u16string> files_;
    int cursorDepth_ = 0;
    mutable std::mutex timersMutex_; // timers are also started from the polling thread
    std::map<int, int> timers_;
};

} // namespace krv::test
