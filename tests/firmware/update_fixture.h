#pragma once
// What the firmware-update tests share: the simulated controller on a pseudo-terminal with
// bootloader failures a test can script, a window that answers the file dialog and records
// what the update asked of it, firmware files written by krv-afm, and the settings file in a
// temporary XDG_CONFIG_HOME.

#include "connection/lpg_connection.h"
#include "connection/connection_host.h"
#include "connection/thread_manager.h"
#include "firmware/update/firmware_update.h"
#include "link/message_recorder.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"
#include "tests/firmware/afm_fixture.h"
#include "tests/support/messages_with.h"
#include "tests/support/update_window.h"

#include <chrono>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace krv::test {

using namespace std::chrono_literals;

// Rows of the sample image krv-afm writes: the whole application area.
inline constexpr int kFullImageRows = 272;

// The requests the update tests follow; everything else (readings, settings...) is Other.
enum class Op {
    Identify,
    EnterBootloader,
    QueryBootloader,
    ErasePage,
    WriteRow,
    EndProgramming,
    StartApplication,
    Other
};

// The simulated controller behind a layer that refuses chosen requests (a status reply with
// byte 0 = 0, the request never reaching the controller) and logs the requests it follows.
class CScriptedController : public sim::ICommandHandler {
public:
    static constexpr int kAlways = -1;

    std::optional<sim::Frame> handle(const sim::Frame& request) override;

    // Refuses the next `times` requests of this kind (kAlways: all of them).
    void refuse(Op op, int times = kAlways);
    // Runs once, on the serving thread, when the controller has been sent this many rows.
    void atRow(int rowNumber, std::function<void()> action);

    // Followed requests in order of arrival; rows and erases left out unless asked for.
    std::vector<Op> log(bool withRowsAndErases = false) const;
    int count(Op op) const;
    void clearLog();

    sim::CController controller;

private:
    mutable std::mutex mutex_;
    std::map<Op, int> refusals_;
    std::vector<Op> log_;
    int rows_ = 0;
    int actionRow_ = 0;
    std::function<void()> action_;
};

// Records, with every message, whether the wait cursor was showing.
class CCursorAwareRecorder : public CMessageRecorder {
public:
    explicit CCursorAwareRecorder(const CUpdateWindow& window) : window_(window) {}
    int show(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
             unsigned style) override;
    std::vector<int> cursorDepths;

private:
    const CUpdateWindow& window_;
};

class FirmwareUpdateTest : public ::testing::Test {
protected:
    FirmwareUpdateTest();
    ~FirmwareUpdateTest() override;
    void SetUp() override;

    // A firmware file from krv-afm with the sample image (a full one) and these options.
    std::u16string firmwareFile(const std::string& name, std::vector<std::string> options = {});
    // Found on the port and polling, as the window is after its start.
    void connectAndPoll();
    // A fresh device object, as at the next start of the program.
    void restartDevice();
    void clickUpdate();

    // After a pulled cable: the port's path leads to the simulator's new terminal.
    bool portReplugged() const;
    bool pollingResumed();
    bool pollingStopped() const;
    // No polling thread, the link shown lost and a reconnect armed for a second on.
    bool linkMarkedLost() const;
    // The controller's program memory from 0x1800 holds the sample image (3 bytes of every 4).
    bool holdsSampleImage() const;
    bool programMemoryUntouched() const;
    std::vector<RecordedMessage> messagesWith(std::u16string_view text) const {
        return test::messagesWith(messages_, text);
    }

    TempDir directory_;
    CScriptedController controller_;
    sim::CSimulator simulator_{controller_};
    CUpdateWindow window_;
    CCursorAwareRecorder messages_{window_};
    CLPGThreadManager threads_;
    std::unique_ptr<CLPGConnection> device_;
};

} // namespace krv::test
