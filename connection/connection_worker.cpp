#include "connection/connection_worker.h"

#include "connection/diag_thread.h"
#include "connection/lpg_connection.h"
#include "link/message.h"

#include <memory>

namespace krv {

CConnectionWorker::CConnectionWorker(CLPGConnection& device, IWorkerWindow& window)
    : device_(device), window_(window), thread_([this] { loop(); }), workerId_(thread_.get_id()) {
    device_.setPollingHost(this);
}

CConnectionWorker::~CConnectionWorker() {
    stop();
    device_.setPollingHost(nullptr);
}

void CConnectionWorker::run(const std::u16string& statusText, Job job, Done done) {
    ++pending_;
    window_.operationStarted(statusText);
    auto work = [this, job = std::move(job), done = std::move(done)]() mutable {
        bool succeeded = false;
        std::shared_ptr<IError> error; // freed also when the window drops the completion
        try {
            succeeded = job(device_);
        } catch (IError* raised) {
            error.reset(raised);
        }
        window_.post([this, succeeded, error, done = std::move(done)] {
            if (error) {
                showMessage(window_.errorOwner(), error->format(), std::u16string(kMessageCaption),
                            MB_OK);
            }
            --pending_;
            window_.operationEnded();
            if (done) {
                done(succeeded);
            }
        });
    };
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        queue_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void CConnectionWorker::hostPolling(std::unique_ptr<CDiagInputThread> polling) {
    endHostedPolling(); // one polling at a time
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        polling_ = std::move(polling);
        pollingBegun_ = false;
    }
    wake_.notify_one();
}

void CConnectionWorker::endHostedPolling() {
    std::unique_lock lock(mutex_);
    if (polling_ != nullptr) {
        polling_->requestStop();
    }
    // On the worker no sample runs beside the caller; elsewhere one may, and is woken. A
    // sample that ended the polling itself is waited for until its end is reported.
    if (sampling_ && !onWorkerThread()) {
        if (polling_ != nullptr && !stopping_) {
            device_.interruptWaits();
            sampleInterrupted_ = true;
        }
        samplingEnded_.wait(lock, [this] { return !sampling_; });
    }
    std::unique_ptr<CDiagInputThread> ended = std::move(polling_);
    lock.unlock();
    if (ended != nullptr) { // the sample may have ended it itself
        ended->finish();
    }
}

bool CConnectionWorker::pollingHosted() const {
    std::lock_guard lock(mutex_);
    return polling_ != nullptr;
}

void CConnectionWorker::cutSampleShort() {
    std::lock_guard lock(mutex_);
    if (!sampling_ || polling_ == nullptr || !pollingBegun_ || stopping_) {
        return;
    }
    polling_->setSampleDropped(true);
    device_.interruptWaits();
    sampleInterrupted_ = true;
}

void CConnectionWorker::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_one();
    device_.interruptWaits();
    if (thread_.joinable()) {
        thread_.join();
    }
    device_.resumeWaits();
    endHostedPolling();
}

void CConnectionWorker::loop() {
    while (true) {
        std::function<void()> work;
        CDiagInputThread* polling = nullptr;
        bool begun = false;
        {
            std::unique_lock lock(mutex_);
            if (!waitForWork(lock)) {
                return;
            }
            if (queue_.empty()) {
                // Nobody takes the polling away while sampling_ is set.
                sampling_ = true;
                polling = polling_.get();
                polling->setSampleDropped(false);
                begun = pollingBegun_;
            } else {
                work = std::move(queue_.front());
                queue_.pop_front();
            }
        }
        if (work) {
            work();
        } else {
            pollOnce(*polling, begun);
        }
    }
}

bool CConnectionWorker::waitForWork(std::unique_lock<std::mutex>& lock) {
    while (!stopping_ && queue_.empty()) {
        if (polling_ == nullptr) {
            wake_.wait(lock);
        } else if (!pollingBegun_ || Clock::now() >= nextSample_) {
            return true;
        } else {
            wake_.wait_until(lock, nextSample_);
        }
    }
    return !stopping_;
}

void CConnectionWorker::pollOnce(CDiagInputThread& polling, bool begun) {
    const bool goesOn = begun ? polling.step() : polling.begin();
    std::unique_ptr<CDiagInputThread> ended;
    {
        std::lock_guard lock(mutex_);
        if (sampleInterrupted_) {
            sampleInterrupted_ = false;
            if (!stopping_) {
                device_.resumeWaits();
            }
        }
        pollingBegun_ = true;
        nextSample_ = Clock::now() + CDiagInputThread::kPause;
        if (!goesOn) {
            ended = std::move(polling_);
        }
    }
    if (ended != nullptr) {
        ended->finish();
    }
    {
        std::lock_guard lock(mutex_);
        sampling_ = false;
    }
    samplingEnded_.notify_all();
}

} // namespace krv
