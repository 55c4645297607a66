#pragma once
// Threads and locks under the names the tool uses, on std::thread and std::mutex.
//
// A thread handed to CThreadManager::insert runs its run() once on a thread of its own and is
// owned by the manager. The manager never lets a thread outlive it: its destructor (and
// stopAll) raises every thread's stop request and joins them. A long-running run() therefore
// polls stopRequested() in its loop and sleeps through sleepUnlessStopped(), which wakes early
// when the stop is requested.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

namespace krv {

// Non-recursive mutex: the tool never locks a mutex it holds and never holds two.
class CMSGMutex {
public:
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

class CThread {
public:
    CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    virtual ~CThread() = default;

    // The thread body, called once on the thread the manager starts.
    virtual void run() = 0;

    bool stopRequested() const noexcept { return stopRequested_.load(); }
    // Sleeps for the given time; returns false at once when a stop is (or becomes) requested.
    bool sleepUnlessStopped(std::chrono::milliseconds duration);
    void requestStop();

private:
    std::atomic<bool> stopRequested_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
};

class CSemThread : public CThread {};

class CSThread : public CSemThread {};

class CThreadManager {
public:
    CThreadManager() = default;
    CThreadManager(const CThreadManager&) = delete;
    CThreadManager& operator=(const CThreadManager&) = delete;
    // Requests every thread to stop and joins them.
    virtual ~CThreadManager();

    // Takes ownership of the object and runs its run() once on a new thread. An exception
    // escaping run() ends that thread only. Threads that have finished are reaped here.
    void insert(CSemThread* thread);

    // Requests every thread to stop and waits for all of them to finish.
    void stopAll();
    // Threads whose run() has not returned yet.
    size_t runningCount() const;

private:
    struct Entry {
        CSemThread* thread = nullptr;
        std::thread worker;
        std::atomic<bool> finished{false};
    };
    void reapFinished();

    mutable std::mutex entriesMutex_;
    std::list<Entry> entries_;
};

class CMultiThread : public CThreadManager {};

} // namespace krv
