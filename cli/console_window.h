#pragma once
// The host services the core asks for, answered on a console: no dialogs (the no-connection
// choice answers "without connection"), message boxes as lines on stderr, a lost link as the
// time a reconnect is due that the running command serves itself, the data each connection
// read, the update's file given on the command line and its progress drawn by ProgressLine.

#include "cli/progress_line.h"
#include "connection/connection_host.h"
#include "firmware/update/firmware_update_window.h"
#include "link/message.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

namespace krv {
class CLPGConnection;
}

namespace krv::cli {

class ConsoleMessages : public IMessageBackend {
public:
    explicit ConsoleMessages(std::ostream& err) : err_(err) {}
    // A Yes/No question answers Yes when the user said so beforehand (--yes), else its default.
    void answerYes(bool yes) { answerYes_ = yes; }
    int show(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
             unsigned style) override;

private:
    std::ostream& err_;
    std::mutex mutex_;
    bool answerYes_ = false;
};

class ConsoleWindow : public IConnectionHost, public IFirmwareUpdateWindow {
public:
    using Clock = std::chrono::steady_clock;

    ConsoleWindow(CLPGConnection& device, std::ostream& err, bool errIsTerminal, bool quiet)
        : device_(device), progress_(err, errIsTerminal), quiet_(quiet) {}

    // The file a firmware update programs; without one every update is refused.
    void setFirmwareFile(const std::u16string& path) { firmwareFile_ = path; }
    // The result of an update the connection ran for a controller found in its bootloader.
    std::optional<bool> forcedUpdateResult() const { return forcedUpdateResult_; }
    // True once when the reconnect asked for by a lost link is due (it is then taken).
    bool takeReconnectDue(Clock::time_point now = Clock::now());
    // What the last connection read from the controller.
    std::optional<ControllerData> loadedData() const;

    // IConnectionHost
    bool chooseDemoMode() override { return false; }
    // The window's update with the file from the command line; its progress line is ended.
    bool updateFirmware(bool forced) override;
    void setStatusText(const std::u16string&) override {}
    void dataLoaded(const ControllerData& data) override;
    void readingsStarted() override {}
    void readingsStopped() override {}
    void linkLost(std::chrono::milliseconds reconnectAfter) override;
    void reconnected() override {}

    // IFirmwareUpdateWindow
    std::u16string selectFile(const std::u16string&, const std::u16string&,
                              const std::u16string&) override {
        return firmwareFile_;
    }
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    MessageOwner messageOwner() override { return nullptr; }
    void showProgress(const FirmwareUpdateProgress& progress) override;

private:
    CLPGConnection& device_;
    ProgressLine progress_;
    const bool quiet_;
    std::u16string firmwareFile_;
    std::optional<bool> forcedUpdateResult_;
    mutable std::mutex mutex_; // the polling thread loses the link, the command reads it
    std::optional<Clock::time_point> reconnectDue_;
    std::optional<ControllerData> loaded_;
};

} // namespace krv::cli
