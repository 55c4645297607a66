#include "connection/connection_worker.h"

#include "connection/lpg_connection.h"
#include "link/message.h"

#include <memory>

namespace krv {

CConnectionWorker::CConnectionWorker(CLPGConnection& device, IWorkerWindow& window)
    : device_(device), window_(window), thread_([this] { loop(); }) {}

CConnectionWorker::~CConnectionWorker() {
    stop();
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
    device_.port.interruptWaits();
    if (thread_.joinable()) {
        thread_.join();
    }
    device_.port.resumeWaits();
}

void CConnectionWorker::loop() {
    while (true) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        work();
    }
}

} // namespace krv
