#include "platform/error.h"
#include "platform/threads.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>

namespace krv {
namespace {

using namespace std::chrono_literals;

// Loops like a polling thread until asked to stop; reports its life through flags it does not
// own, so the test can see them after the manager deleted the thread.
class LoopingThread : public CSThread {
public:
    LoopingThread(std::atomic<int>& passes, std::atomic<bool>& destroyed)
        : passes_(passes), destroyed_(destroyed) {}
    ~LoopingThread() override { destroyed_ = true; }
    void run() override {
        while (sleepUnlessStopped(5ms)) {
            ++passes_;
        }
    }

private:
    std::atomic<int>& passes_;
    std::atomic<bool>& destroyed_;
};

class OnceThread : public CSThread {
public:
    explicit OnceThread(std::atomic<int>& runs, bool fail = false) : runs_(runs), fail_(fail) {}
    void run() override {
        ++runs_;
        if (fail_) {
            throw std::runtime_error("escapes run");
        }
    }

private:
    std::atomic<int>& runs_;
    bool fail_;
};

template <class Condition> bool eventually(Condition condition) {
    for (int i = 0; i < 1000 && !condition(); ++i) {
        std::this_thread::sleep_for(5ms);
    }
    return condition();
}

// The fault this guards against: a polling thread left running over a destroyed device.
TEST(ThreadManager, DestructionStopsAndJoinsALoopingThreadBeforeReturning) {
    std::atomic<int> passes{0};
    std::atomic<bool> destroyed{false};
    {
        CMultiThread manager;
        manager.insert(new LoopingThread(passes, destroyed));
        ASSERT_TRUE(eventually([&] { return passes > 2; }));
        EXPECT_EQ(manager.runningCount(), 1u);
    }
    EXPECT_TRUE(destroyed);
    const int after = passes;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(passes, after);
}

TEST(ThreadManager, RunsEachInsertedThreadOnceAndSurvivesAnEscapingException) {
    std::atomic<int> runs{0};
    CMultiThread manager;
    manager.insert(new OnceThread(runs, true));
    manager.insert(new OnceThread(runs));
    ASSERT_TRUE(eventually([&] { return runs == 2 && manager.runningCount() == 0; }));
    // Finished threads are reaped on the next insert instead of piling up.
    manager.insert(new OnceThread(runs));
    manager.stopAll();
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(manager.runningCount(), 0u);
}

// An error object raised through run() belongs to the catcher: the manager must not leak it.
TEST(ThreadManager, DeletesAnErrorObjectEscapingRun) {
    static std::atomic<int> destroyed{0};
    class CountedError : public IError {
    public:
        CountedError() : IError(6, u"escapes run", 1, u"test") {}
        ~CountedError() override { ++destroyed; }
        void fillMessages() override {}
        std::u16string_view className() const override { return u"CountedError"; }
    };
    class Raising : public CSThread {
    public:
        void run() override { throw static_cast<IError*>(new CountedError); }
    };
    {
        CMultiThread manager;
        manager.insert(new Raising);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(ThreadManager, StopWakesASleepingThreadInsteadOfWaitingOutItsSleep) {
    class Sleeper : public CSThread {
    public:
        explicit Sleeper(std::atomic<bool>& woke) : woke_(woke) {}
        void run() override { woke_ = !sleepUnlessStopped(60s); }

    private:
        std::atomic<bool>& woke_;
    };
    std::atomic<bool> woke{false};
    CThreadManager manager;
    manager.insert(new Sleeper(woke));
    const auto start = std::chrono::steady_clock::now();
    manager.stopAll();
    EXPECT_TRUE(woke);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST(CMSGMutex, KeepsIncrementsFromTwoThreadsApart) {
    CMSGMutex mutex;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            mutex.lock();
            ++counter;
            mutex.unlock();
        }
    };
    std::thread other(work);
    work();
    other.join();
    EXPECT_EQ(counter, 40000);
}

} // namespace
} // namespace krv
