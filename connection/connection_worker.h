#pragma once
// The one thread that talks to the controller for the window: the port search, the reconnect
// attempts, the window's commands and, between them, the polling's samples run here, one at a
// time and in the order asked for, so the window's thread never waits on the port or its lock.
// Completions go back to the window's thread through the hand-over the window gives.

#include "connection/connection_jobs.h"
#include "connection/polling_host.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace krv {

class CLPGConnection;

// What the worker needs of the window it serves.
class IWorkerWindow {
public:
    virtual ~IWorkerWindow() = default;
    // From the worker: run task later on the window's thread (dropped once the window goes).
    virtual void post(std::function<void()> task) = 0;
    // On the window's thread, around each job: the status text to show ("" keeps it) and the
    // end, so the window can hold back the controls that would start another operation.
    virtual void operationStarted(const std::u16string& statusText) = 0;
    virtual void operationEnded() = 0;
    // The window that the boxes of an error escaping a job belong to.
    virtual void* errorOwner() = 0;
};

class CConnectionWorker : public IConnectionJobs, public IPollingHost {
public:
    // Hosts the device's polling from now until it goes.
    CConnectionWorker(CLPGConnection& device, IWorkerWindow& window);
    CConnectionWorker(const CConnectionWorker&) = delete;
    CConnectionWorker& operator=(const CConnectionWorker&) = delete;
    ~CConnectionWorker() override;

    // Called on the window's thread. An error object escaping the job is shown as its text
    // under "Emulator KRV" (a job that wants its operation's name reports it itself).
    void run(const std::u16string& statusText, Job job, Done done) override;

    // A sample is due a pause after the last one; a job asked for meanwhile runs first.
    void hostPolling(std::unique_ptr<CDiagInputThread> polling) override;
    void endHostedPolling() override;
    bool pollingHosted() const;
    // From the window's thread, before a job that must not wait out a read time-out (the
    // update): a sample waiting in a read now is woken and dropped, neither stored nor counted
    // as a failure; the polling goes on after the job.
    void cutSampleShort();

    // Jobs asked for and not yet done (on the window's thread).
    int pending() const { return pending_; }
    // Takes no more jobs, drops those not begun, ends the polling, wakes a read the running
    // job waits in and returns once the thread has ended. Done is not called for the jobs cut
    // short.
    void stop();

private:
    using Clock = std::chrono::steady_clock;

    void loop();
    // Waits for a job or a sample that is due; false once stopping.
    bool waitForWork(std::unique_lock<std::mutex>& lock);
    void pollOnce(CDiagInputThread& polling, bool begun);
    bool onWorkerThread() const { return std::this_thread::get_id() == workerId_; }

    CLPGConnection& device_;
    IWorkerWindow& window_;
    int pending_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::unique_ptr<CDiagInputThread> polling_;
    bool pollingBegun_ = false;
    Clock::time_point nextSample_;
    // The worker is inside a sample (or ending the polling after one).
    bool sampling_ = false;
    // Another thread woke the sample's read to end the polling: the worker lets reads wait
    // again before anything else uses the port.
    bool sampleInterrupted_ = false;
    std::condition_variable samplingEnded_;
    std::thread thread_;
    // Kept apart from thread_, which the join in stop() changes under a job that may ask.
    std::thread::id workerId_;
};

} // namespace krv
