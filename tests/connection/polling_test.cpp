// Polling against the simulated controller, on a thread of its own (the command line) and on the
// window's connection worker between its jobs: sample numbering, the failure count, the lost
// link and its reconnection, the demo, stopping and restarting, and the end of the device while
// it polls.

#include "connection/diag_file.h"
#include "connection/diag_thread.h"
#include "connection_fixture.h"
#include "lang/program_texts.h"
#include "link/rs_error.h"
#include "test_worker_window.h"

#include <filesystem>
#include <thread>
#include <unistd.h>

namespace krv::test {
namespace {

enum class PollingPlace { OwnThread, ConnectionWorker };

class PollingTest : public ConnectionTest, public ::testing::WithParamInterface<PollingPlace> {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        if (GetParam() == PollingPlace::ConnectionWorker) {
            worker_ = std::make_unique<CConnectionWorker>(*device_, workerWindow_);
        }
    }

    // Pollings under way: 0 or 1.
    size_t pollings() const {
        return worker_ ? (worker_->pollingHosted() ? 1u : 0u) : threads_.runningCount();
    }

    void runPolling(std::unique_ptr<CDiagInputThread> polling) {
        device_->pollingRunning = true;
        if (worker_) {
            worker_->hostPolling(std::move(polling));
        } else {
            threads_.insert(polling.release());
        }
    }

    // As the window closes: its worker goes first, then the device.
    void closeDevice() {
        worker_.reset();
        device_.reset();
    }

    bool linkLost() {
        return window_.waitForTimer(
                   test::CTestWindow::kReconnectTimer,
                   static_cast<int>(CLPGConnection::kReconnectAfterLoss.count())) &&
               eventually([&] { return pollings() == 0; });
    }

    // Sample numbers run 1, 2, 3 ... without a gap.
    static bool numberedFromOne(const std::vector<CDiag>& samples) {
        for (size_t i = 0; i < samples.size(); ++i) {
            if (samples[i].sampleNumber != i + 1) {
                return false;
            }
        }
        return !samples.empty();
    }

    CTestWorkerWindow workerWindow_;
    std::unique_ptr<CConnectionWorker> worker_;
};

TEST_P(PollingTest, SamplesAreNumberedFromOneAndNeverComeFasterThanThePause) {
    connectToController();
    const auto started = std::chrono::steady_clock::now();
    device_->startPolling();
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReadingsTimer), 100);

    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 10; }));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    const auto held = samples();
    EXPECT_TRUE(numberedFromOne(held));
    EXPECT_GE(elapsed, 10 * CDiagInputThread::kPause);
    EXPECT_NE(held.back().rpmPeriod(), 0) << "the controller's readings are kept";
    EXPECT_TRUE(device_->connected);
}

TEST_P(PollingTest, ThreeFailedExchangesInARowGiveTheLinkUp) {
    SimulatedPort& port = connectToController();
    port.handler.scriptReadings(
        {Reading::Ok, Reading::Ok, Reading::Silent, Reading::Silent, Reading::Silent});
    device_->startPolling();

    ASSERT_TRUE(linkLost());
    EXPECT_FALSE(device_->connected);
    EXPECT_EQ(device_->diagData.sampleCount(), 0);
    EXPECT_EQ(device_->failureCount, 3);
    EXPECT_TRUE(device_->pollingRunning) << "the lost state keeps the flag";
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReadingsTimer), 100);
}

TEST_P(PollingTest, FailuresOnlyCountWhenConsecutive) {
    SimulatedPort& port = connectToController();
    port.handler.scriptReadings({Reading::Silent, Reading::Silent, Reading::Ok, Reading::Silent,
                                 Reading::Silent, Reading::Ok});
    device_->startPolling();

    ASSERT_TRUE(eventually([&] { return port.handler.scriptDone(); }));
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 4; }));
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer), 0);
    EXPECT_EQ(device_->failureCount, 0);
    EXPECT_TRUE(numberedFromOne(samples()));
}

TEST_P(PollingTest, WrongRepliesNeitherCountNorResetNorStore) {
    SimulatedPort& port = connectToController();
    port.handler.scriptReadings({Reading::Ok, Reading::WrongType, Reading::WrongType,
                                 Reading::WrongType, Reading::Ok, Reading::Silent, Reading::Silent,
                                 Reading::WrongType, Reading::Silent});
    device_->startPolling();

    // Two samples stored for five replies, numbered without gaps.
    ASSERT_TRUE(eventually([&] { return port.handler.controller.state().counters.readings >= 6; }));
    const auto held = samples();
    EXPECT_EQ(held.size(), 2u);
    EXPECT_TRUE(numberedFromOne(held));

    // The wrong reply between the second and third failure did not reset the count.
    ASSERT_TRUE(linkLost());
    EXPECT_TRUE(port.handler.scriptDone());
    EXPECT_FALSE(device_->connected);
}

TEST_P(PollingTest, PulledCableIsReconnectedWithAFreshThread) {
    SimulatedPort& port = connectToController();
    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 3; }));

    port.simulator.setSilent(true);
    ASSERT_TRUE(linkLost());
    EXPECT_FALSE(device_->connected);

    device_->reconnect(); // the timer's first run: still unplugged
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer), 2000);
    EXPECT_FALSE(device_->connected);
    EXPECT_EQ(pollings(), 0u);

    port.simulator.setSilent(false);
    device_->reconnect();
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer), 0);
    EXPECT_EQ(window_.reconnectedCount(), 1);
    EXPECT_EQ(window_.statusTexts(),
              (std::vector<std::u16string>{std::u16string(texts::kStatusNoConnectionEn),
                                           std::u16string(texts::kStatusNoConnectionEn),
                                           std::u16string(texts::kStatusConnectedEn)}));
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 3; }));
    EXPECT_TRUE(numberedFromOne(samples()));
}

// Where the settings file cannot be written (here it is a folder), the remembered port is
// never there to read back: the reconnect must go back to the port it was connected on.
TEST_P(PollingTest, PulledCableIsReconnectedWhereTheSettingsFileCannotBeWritten) {
    std::filesystem::create_directories(directory_ + "/Morvelcast/settings.ini");
    SimulatedPort& port = connectToController();
    ASSERT_EQ(device_->readLastPort(), 0);
    device_->startPolling();
    port.simulator.setSilent(true);
    ASSERT_TRUE(linkLost());

    port.simulator.setSilent(false);
    clearPortsTried();
    device_->reconnect();
    EXPECT_EQ(portsTried(), (std::vector<int>{1}));
    EXPECT_TRUE(device_->connected);
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 1; }));
}

// The controller answers the reconnect but no longer enables its readings: no thread starts
// and the polling flag is cleared, while the readings timer of the lost link goes on and the
// status says the link is back.
TEST_P(PollingTest, ReconnectToAControllerWithoutReadingsStartsNoThread) {
    SimulatedPort& port = connectToController();
    device_->startPolling();
    port.simulator.setSilent(true);
    ASSERT_TRUE(linkLost());

    auto knobs = port.handler.controller.knobs();
    knobs.identifyWord = 0x0056;
    port.handler.controller.setKnobs(knobs);
    port.simulator.setSilent(false);
    device_->reconnect();

    EXPECT_TRUE(device_->connected);
    EXPECT_FALSE(device_->readingsEnabled);
    EXPECT_FALSE(device_->pollingRunning);
    EXPECT_EQ(pollings(), 0u);
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReadingsTimer), 100);
    EXPECT_EQ(window_.statusTexts().back(), texts::kStatusConnectedEn);
    EXPECT_EQ(window_.reconnectedCount(), 1);
}

// The failure count belongs to the process: a thread started after a lost link gives up at
// its first failed read unless a reading succeeded first.
TEST_P(PollingTest, FailureCountOutlivesTheThreadThatGaveUp) {
    SimulatedPort& port = connectToController();
    port.handler.scriptReadings({Reading::Silent, Reading::Silent, Reading::Silent});
    device_->startPolling();
    ASSERT_TRUE(linkLost());

    port.handler.scriptReadings({Reading::Silent});
    device_->reconnect();
    ASSERT_TRUE(device_->connected);
    ASSERT_TRUE(linkLost());
    EXPECT_TRUE(port.handler.scriptDone());
    EXPECT_EQ(device_->failureCount, 4);
}

// The port device disappears under the thread (the terminal is closed and a new one appears
// behind the same link). The port error ends the thread; a pseudo-terminal keeps no line-error
// counters, so only marking the link lost on every error brings the reconnection about.
TEST_P(PollingTest, VanishedPortIsFoundAgainThroughTheSameLink) {
    SimulatedPort& port = connectToController();
    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 3; }));

    port.simulator.vanishOnNextRequest(true);
    ASSERT_TRUE(linkLost());
    EXPECT_FALSE(device_->connected);
    EXPECT_EQ(device_->diagData.sampleCount(), 0);

    // The simulator links the new terminal a moment after the old one goes. An attempt made in
    // that moment fails and asks for the next one, as the window's retry timer runs it: a
    // replugged port is never left lost.
    for (int attempt = 0; attempt < 10 && !device_->connected; ++attempt) {
        if (attempt > 0) {
            EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer),
                      CLPGConnection::kReconnectRetry.count());
            std::this_thread::sleep_for(100ms);
        }
        device_->reconnect();
    }
    EXPECT_TRUE(device_->connected);
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 3; }));
    EXPECT_TRUE(numberedFromOne(samples()));
}

// A polling thread whose reads raise a port error while the port itself reports nothing
// pending (a healthy pseudo-terminal keeps no line-error counters).
class CFailingReadThread : public CDiagInputThread {
public:
    using CDiagInputThread::CDiagInputThread;

protected:
    void onStart() override {}
    void onStop() override {}
    int readSample(CDiag&) override {
        throw new CRSError(kRsOperationFailed, u"read", __LINE__, u"test");
    }
    void storeSample(CDiag& record) override { sink.pushSample(record); }
};

TEST_P(PollingTest, PortErrorAlwaysMarksTheLinkLost) {
    connectToController();
    ASSERT_EQ(device_->port.clearCommError(), 0u);
    device_->diagData.pushSample(CDiag{});
    runPolling(std::make_unique<CFailingReadThread>(*device_, device_->diagData, u"",
                                                    device_->pollingRunning));

    ASSERT_TRUE(linkLost());
    EXPECT_FALSE(device_->connected);
    EXPECT_EQ(device_->diagData.sampleCount(), 0);
}

// Without any serial port the demo still polls: the thread never touches the closed port.
TEST_P(PollingTest, DemoWithoutPortsGivesSimulatedReadings) {
    addAbsentPort();
    publishPorts();
    window_.answerDemo(true);
    device_->connect(window_);
    ASSERT_TRUE(device_->demoMode);
    ASSERT_FALSE(device_->port.isOpen());

    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 3; }));
    const auto held = samples();
    EXPECT_TRUE(numberedFromOne(held));
    EXPECT_EQ(held.back().rpmPeriod(), 3400);
    EXPECT_EQ(held.back().inputVoltage(), 400);
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer), 0);
    EXPECT_EQ(pollings(), 1u);
}

TEST_P(PollingTest, StopThenStartBeginsWithAnEmptyStore) {
    connectToController();
    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 10; }));

    device_->stopPolling();
    EXPECT_EQ(pollings(), 0u) << "stopPolling returns once the thread has ended";
    EXPECT_FALSE(device_->pollingRunning);
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReadingsTimer), 0);
    const int kept = device_->diagData.sampleCount();
    EXPECT_GE(kept, 10) << "stopping keeps the samples";

    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() < kept; }));
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 2; }));
    EXPECT_TRUE(numberedFromOne(samples()));
    EXPECT_EQ(pollings(), 1u);
}

TEST_P(PollingTest, StopWakesAReadThatWaitsForASilentController) {
    SimulatedPort& port = pollUntilASampleWaits();

    const auto stopping = std::chrono::steady_clock::now();
    device_->stopPolling();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 500ms);
    EXPECT_EQ(pollings(), 0u);
    EXPECT_TRUE(device_->connected) << "a stop is no lost link";
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer), 0);

    // The woken port is usable again: a new thread reads from it.
    port.simulator.setSilent(false);
    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 2; }));
    EXPECT_TRUE(numberedFromOne(samples()));
}

TEST_P(PollingTest, StartingTwiceLeavesOneThread) {
    connectToController();
    device_->startPolling();
    device_->startPolling();
    EXPECT_EQ(pollings(), 1u);
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 2; }));
    EXPECT_TRUE(numberedFromOne(samples()));
}

// The window may close while the thread waits inside an exchange: the device's end must wait
// for the thread, which otherwise reads freed memory (the sanitizers would catch it).
TEST_P(PollingTest, DeviceEndsOnlyAfterItsPollingThread) {
    pollUntilASampleWaits();

    const auto closing = std::chrono::steady_clock::now();
    closeDevice();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 500ms)
        << "the read waiting for the silent controller is woken, not sat out";
    EXPECT_EQ(pollings(), 0u);
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer), 0)
        << "a thread told to stop reports no lost link";
}

TEST_P(PollingTest, NoDiagnosticsFileComesIntoBeing) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path workDirectory = directory_ + "/work";
    std::filesystem::create_directories(workDirectory);
    std::filesystem::current_path(workDirectory);

    addAbsentPort();
    publishPorts();
    window_.answerDemo(true);
    device_->connect(window_);
    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 1; }));
    EXPECT_EQ(device_->logFileName, u"\\");
    device_->stopPolling();

    EXPECT_TRUE(std::filesystem::is_empty(workDirectory));
    std::filesystem::current_path(previous);
}

TEST(DiagFileTest, OpensOrdinaryNamesButNeverTheLoneBackslash) {
    char pattern[] = "/tmp/krv-diagfile-XXXXXX";
    const std::filesystem::path directory = ::mkdtemp(pattern);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(directory);

    CDiagFile file;
    EXPECT_FALSE(file.open(u"\\", true));
    EXPECT_TRUE(file.name().empty());
    EXPECT_FALSE(file.isOpen());
    file.close();
    EXPECT_TRUE(std::filesystem::is_empty(directory));

    EXPECT_FALSE(file.open(u"missing.log", false));
    EXPECT_TRUE(file.name().empty());

    EXPECT_TRUE(file.open(u"diag.log", true));
    EXPECT_EQ(file.name(), u"diag.log");
    EXPECT_TRUE(file.writeMode());
    EXPECT_TRUE(std::filesystem::exists(directory / "diag.log"));
    file.close();
    EXPECT_TRUE(file.name().empty());
    EXPECT_FALSE(file.isOpen());

    std::filesystem::current_path(previous);
    std::filesystem::remove_all(directory);
}

INSTANTIATE_TEST_SUITE_P(Places, PollingTest,
                         ::testing::Values(PollingPlace::OwnThread, PollingPlace::ConnectionWorker),
                         [](const auto& info) {
                             return info.param == PollingPlace::OwnThread ? "OwnThread"
                                                                          : "ConnectionWorker";
                         });

} // namespace
} // namespace krv::test
