// The simulator's wire layer as the host meets it: counters, pacing and every injected fault.

#include "tests/link/simulated_port.h"

#include <filesystem>
#include <thread>

namespace krv::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

class Simulator : public SimulatedPortTest {
protected:
    // One echo exchange; the reply's frame type goes to replyType.
    bool exchangeOnce(bool polled = false, uint8_t* replyType = nullptr) {
        auto buffer = request({0x10, 0x20, 0x30});
        uint8_t length = 3;
        uint8_t type = 0x05;
        const bool ok = polled ? exchange.transactPolled(buffer.data(), length, type) == 0
                               : exchange.transact(buffer.data(), length, type);
        if (replyType != nullptr) {
            *replyType = type;
        }
        return ok && length == 3 &&
               Bytes(buffer.begin(), buffer.begin() + 3) == Bytes{0x10, 0x20, 0x30};
    }
};

TEST_F(Simulator, CountsFramesAndRejectsABadChecksumWithoutAnswering) {
    Bytes bad = sim::encodeFrame(0x05, 0x0001, {1, 2, 3});
    bad.back() ^= 0xFF;
    // Noise before a frame is skipped, not counted.
    port.write(Bytes{0x00, 0x13}.data(), 2);
    port.write(bad.data(), bad.size());
    ASSERT_TRUE(simulator.waitForReceived(1, 5s));
    EXPECT_EQ(simulator.lastReceived(), bad);
    EXPECT_TRUE(exchangeOnce());
    const sim::WireCounters counters = simulator.counters();
    EXPECT_EQ(counters.received, 2u);
    EXPECT_EQ(counters.accepted, 1u);
    EXPECT_EQ(counters.rejected, 1u);
}

TEST_F(Simulator, EachReplyFaultMeetsTheHostAsItWould) {
    struct Case {
        const char* what;
        sim::FaultRate sim::FaultOptions::*fault;
        bool transactOk;
        bool polledOk;
    };
    const Case cases[] = {
        {"corrupt", &sim::FaultOptions::corruptReply, false, false},
        {"drop", &sim::FaultOptions::dropReply, false, false},
        // 20 ms apart: well inside the read time-out, so both reads join the halves.
        {"split", &sim::FaultOptions::splitReply, true, true},
        {"stray", &sim::FaultOptions::strayBytes, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::FaultOptions faults;
        (faults.*c.fault).every = 1;
        simulator.setFaults(faults);
        EXPECT_EQ(exchangeOnce(false), c.transactOk);
        EXPECT_EQ(exchangeOnce(true), c.polledOk);
    }
    EXPECT_EQ(simulator.counters().rejected, 0u);
}

TEST_F(Simulator, WrongFrameTypePassesTheFrameCheckWithAnotherType) {
    sim::FaultOptions faults;
    faults.wrongFrameType.every = 2;
    simulator.setFaults(faults);
    uint8_t type = 0;
    EXPECT_TRUE(exchangeOnce(false, &type));
    EXPECT_EQ(type, 0x05);
    EXPECT_TRUE(exchangeOnce(false, &type));
    EXPECT_NE(type, 0x05);
}

TEST_F(Simulator, ProbabilityOneStrikesEveryReplyAndZeroNone) {
    sim::FaultOptions faults;
    faults.dropReply.probability = 1.0;
    simulator.setFaults(faults);
    port.setTimeout({0, 0, 200});
    EXPECT_FALSE(exchangeOnce());
    faults.dropReply.probability = 0.0;
    simulator.setFaults(faults);
    EXPECT_TRUE(exchangeOnce());
}

TEST_F(Simulator, GoesSilentLikeAPulledCableAndComesBack) {
    sim::FaultOptions faults;
    faults.silentAfter = 2;
    faults.silentFor = 1500ms;
    simulator.setFaults(faults);
    port.setTimeout({0, 0, 300});
    EXPECT_TRUE(exchangeOnce());
    const auto silenceStart = std::chrono::steady_clock::now();
    EXPECT_FALSE(exchangeOnce());
    EXPECT_FALSE(exchangeOnce(true));
    std::this_thread::sleep_until(silenceStart + 2000ms);
    EXPECT_TRUE(exchangeOnce());
}

TEST_F(Simulator, ReplugOpensANewTerminalBehindTheSameLink) {
    const std::string link = ::testing::TempDir() + "krv_sim_replug_" + std::to_string(::getpid());
    simulator.stop();
    port.close();
    startSimulator(link);
    const std::string firstSlave = simulator.slavePath();
    sim::FaultOptions faults;
    faults.replugAfter = 2;
    simulator.setFaults(faults);

    EXPECT_TRUE(exchangeOnce());
    const auto error = caughtError([&] { exchangeOnce(); });
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), 6u);

    openPort();
    EXPECT_NE(simulator.slavePath(), firstSlave);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), simulator.slavePath());
    EXPECT_TRUE(exchangeOnce());
    simulator.stop();
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

// At 1200 baud the 9-byte request and 9-byte reply take 150 ms of wire time.
TEST_F(Simulator, PacingTakesAtLeastTheWireTime) {
    simulator.setBaud(1200);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(exchangeOnce());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 140ms);
}

} // namespace
} // namespace krv::test
