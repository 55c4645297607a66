#pragma once
// What the connection tests share: a window that answers as scripted and records what the
// connection asked of it, simulated controllers on pseudo-terminals listed in KRV_PORTS, and
// the settings file in a temporary XDG_CONFIG_HOME.

#include "connection/connection_host.h"
#include "connection/lpg_connection.h"
#include "connection/thread_manager.h"
#include "link/message_recorder.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"
#include "tests/support/messages_with.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_window.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace krv::test {

using namespace std::chrono_literals;

// How the controller answers a readings request.
enum class Reading { Ok, Silent, WrongType };

// The simulated controller with a few test knobs on top: operations that are refused at once
// (a fast failure, unlike silence, which costs a read time-out per try) and a script of
// answers to readings requests (Ok once it runs out).
class CTestController : public sim::ICommandHandler {
public:
    CTestController(int portNumber, std::function<void(int)> identified)
        : portNumber_(portNumber), identified_(std::move(identified)) {}

    std::optional<sim::Frame> handle(const sim::Frame& request) override;

    void refuse(std::set<uint8_t> operations);
    // Runs on the simulator's thread with each request before it is answered, so a test can
    // act at an exact step of an exchange (send a signal, change the controller's state).
    void onRequest(std::function<void(const sim::Frame&)> hook);
    void scriptReadings(std::vector<Reading> answers);
    bool scriptDone() const;

    sim::CController controller;

private:
    const int portNumber_;
    std::function<void(int)> identified_;
    mutable std::mutex mutex_;
    std::set<uint8_t> refused_;
    std::deque<Reading> readings_;
    std::function<void(const sim::Frame&)> hook_;
};

struct SimulatedPort {
    SimulatedPort(int portNumber, std::function<void(int)> identified, const std::string& link);
    CTestController handler;
    sim::CSimulator simulator{handler};
};

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest();
    ~ConnectionTest() override;
    // Skips where no pseudo-terminal can be had (some containers).
    void SetUp() override;

    // Appends a port table entry with a controller behind it, or one naming nothing.
    SimulatedPort& addPort();
    void addAbsentPort();
    // A controller on port 1, found and loaded.
    SimulatedPort& connectToController();
    // That controller polled until one sample is in, then silent with a sample's request
    // waiting for its answer.
    SimulatedPort& pollUntilASampleWaits();
    // KRV_PORTS from the entries added so far.
    void publishPorts();

    void writeSetting(const std::string& line);
    std::string lastPortSetting() const;

    // The port numbers the connection asked to identify (all at once, so in ascending order);
    // which one it connected to is the connection's linkPort().
    std::vector<int> portsTried() const;
    void clearPortsTried();
    std::vector<RecordedMessage> messagesWith(std::u16string_view text) const {
        return test::messagesWith(messages_, text);
    }

    // Waits for a condition the polling thread brings about.
    static bool eventually(const std::function<bool()>& condition,
                           std::chrono::milliseconds timeout = 20s);
    std::vector<CDiag> samples();

    TempFolder folder_;
    std::string directory_ = folder_.path().string();
    std::vector<std::string> table_;
    std::vector<std::unique_ptr<SimulatedPort>> ports_;
    mutable std::mutex triedMutex_;
    std::vector<int> tried_;
    CMessageRecorder messages_;
    CTestWindow window_;
    CLPGThreadManager threads_;
    std::unique_ptr<CLPGConnection> device_ = std::make_unique<CLPGConnection>(threads_);
};

} // namespace krv::test
