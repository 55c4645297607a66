// The connection worker: jobs run one at a time off the caller's thread, completions come back
// through the window's hand-over, errors are shown, stopping wakes a job waiting in a read, and
// the polling's samples take turns with the jobs on the same thread.

#include "connection/connection_worker.h"
#include "connection/diag_thread.h"
#include "connection_fixture.h"
#include "link/rs_error.h"
#include "test_worker_window.h"

#include <thread>

namespace krv::test {
namespace {

class WorkerTest : public ConnectionTest {
protected:
    CTestWorkerWindow workerWindow_;
};

// The device's own polling, noting where each sample is read and whether a job ran meanwhile.
class CWatchedPolling : public CDiagInputThread {
public:
    CWatchedPolling(CLPGConnection& device, const std::atomic<bool>& inJob)
        : CDiagInputThread(device, device.diagData, u"", device.pollingRunning), inJob_(inJob) {}

    std::atomic<int> overlaps{0};
    std::atomic<int> samples{0};
    std::thread::id thread;

protected:
    void onStart() override {}
    void onStop() override {}
    int readSample(CDiag& record) override {
        thread = std::this_thread::get_id();
        overlaps += inJob_ ? 1 : 0;
        const int result = device.readReadings(record);
        overlaps += inJob_ ? 1 : 0;
        return result;
    }
    void storeSample(CDiag& record) override {
        sink.pushSample(record);
        ++samples;
    }

private:
    const std::atomic<bool>& inJob_;
};

TEST_F(WorkerTest, JobsRunInOrderOffTheCallersThreadAndReportBackThroughTheWindow) {
    CConnectionWorker worker(*device_, workerWindow_);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<int> ran;
    std::vector<std::pair<int, bool>> finished;
    for (int n = 0; n < 3; ++n) {
        worker.run(
            n == 0 ? u"BUSY" : u"",
            [&, n](CLPGConnection& device) {
                EXPECT_EQ(&device, device_.get());
                EXPECT_NE(std::this_thread::get_id(), caller);
                ran.push_back(n);
                return n != 1;
            },
            [&, n](bool succeeded) {
                EXPECT_EQ(std::this_thread::get_id(), caller);
                finished.emplace_back(n, succeeded);
            });
    }
    EXPECT_EQ(worker.pending(), 3);
    ASSERT_TRUE(workerWindow_.runPosted(3));
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(finished, (std::vector<std::pair<int, bool>>{{0, true}, {1, false}, {2, true}}));
    EXPECT_EQ(worker.pending(), 0);
    EXPECT_EQ(
        workerWindow_.events,
        (std::vector<std::u16string>{u"start BUSY", u"start ", u"start ", u"end", u"end", u"end"}));
}

TEST_F(WorkerTest, AnErrorObjectEscapingAJobIsShownAndItsJobFails) {
    CConnectionWorker worker(*device_, workerWindow_);
    std::optional<bool> result;
    worker.run(
        u"",
        [](CLPGConnection&) -> bool {
            throw new CRSError(kRsOperationFailed, u"CSerialPort::read() - GetLastError()=5", 167,
                               u"serialport");
        },
        [&](bool succeeded) { result = succeeded; });
    ASSERT_TRUE(workerWindow_.runPosted(1));
    EXPECT_EQ(result, false);
    const auto shown = messages_.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find(u"CSerialPort::read() - GetLastError()=5"), std::u16string::npos);
    EXPECT_EQ(shown[0].caption, u"Emulator KRV");
    EXPECT_EQ(shown[0].style, MB_OK);
    EXPECT_EQ(shown[0].owner, &workerWindow_);
}

// The window closes while a job waits for a controller that went silent: the read is woken,
// and the jobs queued behind it never start.
TEST_F(WorkerTest, StoppingWakesAJobWaitingForASilentControllerAndDropsTheRest) {
    SimulatedPort& port = connectToController();
    port.simulator.setSilent(true);

    CConnectionWorker worker(*device_, workerWindow_);
    std::atomic<bool> secondRan{false};
    worker.run(u"", [](CLPGConnection& device) { return device.readSettings().has_value(); }, {});
    worker.run(u"", [&](CLPGConnection&) { return secondRan = true; }, {});
    ASSERT_TRUE(port.simulator.waitForReceived(port.simulator.counters().received + 1, 5s));

    const auto stopping = std::chrono::steady_clock::now();
    worker.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 500ms);
    EXPECT_FALSE(secondRan);
}

// The window closes during a search: the probes of silent ports are woken too, rather than
// waited out for the identification's three read time-outs.
TEST_F(WorkerTest, StoppingWakesASearchsProbesOfSilentPorts) {
    addPort().simulator.setSilent(true);
    addPort().simulator.setSilent(true);
    publishPorts();
    CConnectionWorker worker(*device_, workerWindow_);
    worker.run(u"",
               [this](CLPGConnection& device) {
                   device.connect(window_, CLPGConnection::WhenNoneAnswers::EndUnconnected);
                   return device.connected.load();
               },
               {});
    for (const auto& port : ports_) {
        ASSERT_TRUE(port->simulator.waitForReceived(1, 5s));
    }

    const auto stopping = std::chrono::steady_clock::now();
    worker.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 500ms);
    EXPECT_FALSE(device_->connected);
}

TEST_F(WorkerTest, SamplesAndJobsTakeTurnsOnTheWorkersThread) {
    connectToController();
    CConnectionWorker worker(*device_, workerWindow_);
    std::atomic<bool> inJob{false};
    auto owned = std::make_unique<CWatchedPolling>(*device_, inJob);
    CWatchedPolling& polling = *owned;
    device_->pollingRunning = true;
    worker.hostPolling(std::move(owned));
    ASSERT_TRUE(eventually([&] { return polling.samples >= 2; }));

    constexpr int kJobs = 8;
    std::vector<std::thread::id> jobThreads(kJobs);
    std::vector<bool> results(kJobs);
    for (int n = 0; n < kJobs; ++n) {
        worker.run(
            u"",
            [&, n](CLPGConnection& device) {
                inJob = true;
                jobThreads[n] = std::this_thread::get_id();
                const bool read = device.readSettings().has_value();
                std::this_thread::sleep_for(CDiagInputThread::kPause); // a sample falls due
                inJob = false;
                return read;
            },
            [&, n](bool succeeded) { results[n] = succeeded; });
    }
    ASSERT_TRUE(workerWindow_.runPosted(kJobs));
    const int afterJobs = polling.samples;
    ASSERT_TRUE(eventually([&] { return polling.samples >= afterJobs + 2; }))
        << "polling goes on after the jobs";

    EXPECT_EQ(polling.overlaps, 0) << "a sample was read while a job ran";
    EXPECT_EQ(results, std::vector<bool>(kJobs, true));
    for (const std::thread::id& job : jobThreads) {
        EXPECT_EQ(job, polling.thread);
    }
    EXPECT_NE(polling.thread, std::this_thread::get_id());
}

// The fitter starts an update while a sample waits for a controller gone silent: the update
// need not sit out the sample's read time-out, and the sample cut short is no failed exchange.
TEST_F(WorkerTest, AJobThatCannotWaitCutsAWaitingSampleShortWithoutCountingIt) {
    CConnectionWorker worker(*device_, workerWindow_);
    pollUntilASampleWaits();
    const int held = device_->diagData.sampleCount();

    const auto asked = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point began;
    worker.cutSampleShort();
    worker.run(u"",
               [&](CLPGConnection&) {
                   began = std::chrono::steady_clock::now();
                   return true;
               },
               {});
    ASSERT_TRUE(workerWindow_.runPosted(1));
    EXPECT_LT(began - asked, 500ms);
    EXPECT_EQ(device_->failureCount, 0);
    EXPECT_EQ(device_->diagData.sampleCount(), held);
    EXPECT_TRUE(worker.pollingHosted()) << "the polling goes on";
    EXPECT_TRUE(device_->connected);
}

// The update stops and restarts polling inside its own job: no waiting on itself, and the
// samples come again once the job is over.
TEST_F(WorkerTest, AJobMayStopAndRestartPolling) {
    connectToController();
    CConnectionWorker worker(*device_, workerWindow_);
    device_->startPolling();
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 2; }));

    bool hostedInside = true;
    worker.run(u"",
               [&](CLPGConnection& device) {
                   device.stopPolling();
                   hostedInside = worker.pollingHosted();
                   device.startPolling();
                   return true;
               },
               {});
    ASSERT_TRUE(workerWindow_.runPosted(1));
    EXPECT_FALSE(hostedInside);
    EXPECT_TRUE(worker.pollingHosted());
    ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 2; }));
    EXPECT_EQ(samples().front().sampleNumber, 1u) << "the restarted polling began afresh";
}

} // namespace
} // namespace krv::test
