#include "register/car_register.h"
#include "tests/register/register_states.h"
#include "tests/support/temp_folder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace krv::reg {
namespace {

// The child records states as fast as it can and tells the parent each version id once its
// recording returned (committed); the parent kills it at a random moment.
std::set<int64_t> recordUntilKilled(const std::string& path, int64_t car, unsigned delayUs,
                                    int round) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        try {
            CarRegister reg(path);
            for (int i = 0;; ++i) {
                const auto fill = static_cast<uint8_t>((round * 31 + i) % 250);
                const int64_t id =
                    reg.recordState(car, test::controllerState(fill, i % 240), Cause::Edit);
                if (write(pipeEnds[1], &id, sizeof id) != sizeof id) {
                    _exit(2);
                }
            }
        } catch (const DatabaseFault&) {
            _exit(3);
        }
    }
    close(pipeEnds[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;
    std::set<int64_t> committed;
    int64_t id = 0;
    while (read(pipeEnds[0], &id, sizeof id) == sizeof id) {
        committed.insert(id);
    }
    close(pipeEnds[0]);
    return committed;
}

TEST(RegisterKill, AKilledRecordingLeavesAConsistentRegisterWithEveryCommittedVersion) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "register.sqlite").string();
    int64_t car = 0;
    {
        CarRegister reg(path);
        CarDetails details;
        details.plate = "WX 12345";
        car = reg.addCar(details).value();
    }
    std::mt19937 random(20261211);
    std::set<int64_t> committed;
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round) {
        // From before the register is open to well into the recordings.
        const unsigned delay = std::uniform_int_distribution<unsigned>(0, 300'000)(random);
        committed.merge(recordUntilKilled(path, car, delay, round));
        CarRegister reg(path);
        Statement check = reg.database().prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.step());
        ASSERT_EQ(check.text(0), "ok") << "round " << round;
        std::set<int64_t> present;
        for (const Version& version : reg.versions(car)) {
            present.insert(version.id);
        }
        for (const int64_t id : committed) {
            ASSERT_TRUE(present.contains(id)) << "version " << id << " lost in round " << round;
        }
    }
    EXPECT_GT(committed.size(), 20u) << "the kills came before anything was recorded";
}

} // namespace
} // namespace krv::reg
