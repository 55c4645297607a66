// The connection worker: jobs run one at a time off the caller's thread, completions come back
// through the window's hand-over, errors are shown, and stopping wakes a job waiting in a read.

#include "connection/connection_worker.h"
#include "connection_fixture.h"
#include "link/rs_error.h"

#include <thread>

namespace krv::test {
namespace {

// Stands for the window's thread: posted tasks wait until the test runs them.
class CTestWorkerWindow : public IWorkerWindow {
public:
    void post(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(std::move(task));
        }
        changed_.notify_all();
    }
    void operationStarted(const std::u16string& statusText) override {
        events.push_back(u"start " + statusText);
    }
    void operationEnded() override { events.push_back(u"end"); }
    void* errorOwner() override { return this; }

    // Runs the posted tasks as they come until `count` have run.
    bool runPosted(size_t count, std::chrono::milliseconds timeout = 20s) {
        for (size_t done = 0; done < count; ++done) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex_);
                if (!changed_.wait_for(lock, timeout, [this] { return !posted_.empty(); })) {
                    return false;
                }
                task = std::move(posted_.front());
                posted_.pop_front();
            }
            task();
        }
        return true;
    }

    std::vector<std::u16string> events; // on the test's thread only

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> posted_;
};

class WorkerTest : public ConnectionTest {
protected:
    CTestWorkerWindow workerWindow_;
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
    SimulatedPort& port = addPort();
    publishPorts();
    device_->connect(window_);
    ASSERT_TRUE(device_->connected);
    port.simulator.setSilent(true);

    CConnectionWorker worker(*device_, workerWindow_);
    std::atomic<bool> secondRan{false};
    worker.run(u"", [](CLPGConnection& device) { return device.readSettings(); }, {});
    worker.run(u"", [&](CLPGConnection&) { return secondRan = true; }, {});
    ASSERT_TRUE(port.simulator.waitForReceived(port.simulator.counters().received + 1, 5s));

    const auto stopping = std::chrono::steady_clock::now();
    worker.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 500ms);
    EXPECT_FALSE(secondRan);
}

} // namespace
} // namespace krv::test
