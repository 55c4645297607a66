// The order in which an exchange talks to its port: where the line-error checks fall, that the
// receive buffer is purged right before the checksum bytes go out, and that a line error at any
// check fails the exchange. A pseudo-terminal has no line errors, so a recording port stands in.

#include "link/frame_exchange.h"
#include "sim/wire/simulator.h"

#include <algorithm>
#include <deque>
#include <gmock/gmock.h>
#include <string>
#include <vector>

namespace krv {
namespace {

using ::testing::ElementsAre;

class RecordingPort : public ISerialIo {
public:
    // Reports a line error at the check with this index (0 = first); -1 for none.
    explicit RecordingPort(std::vector<uint8_t> reply, int failingCheck = -1)
        : reply_(reply.begin(), reply.end()), failingCheck_(failingCheck) {}

    size_t read(uint8_t* buffer, size_t count) override {
        size_t taken = 0;
        for (; taken < count && !reply_.empty(); ++taken) {
            buffer[taken] = reply_.front();
            reply_.pop_front();
        }
        log.push_back("read " + std::to_string(count));
        return taken;
    }
    size_t write(const uint8_t*, size_t count) override {
        log.push_back("write " + std::to_string(count));
        return count;
    }
    void purgeIn() override { log.push_back("purge"); }
    uint32_t clearCommError() override {
        log.push_back("check");
        return checks_++ == failingCheck_ ? 0x08 : 0;
    }

    std::vector<std::string> log;

private:
    std::deque<uint8_t> reply_;
    int failingCheck_;
    int checks_ = 0;
};

const std::vector<uint8_t> kReply = sim::encodeFrame(0x08, 0x0105, {0x00, 0x01, 0x11});

struct Outcome {
    bool ok;
    uint8_t length;
    uint8_t type;
};

Outcome exchangeOver(RecordingPort& port, bool polled) {
    CMSGMutex mutex;
    CFrameExchange exchange(port, mutex);
    exchange.setKeySource([] { return uint16_t{0x1234}; });
    uint8_t buffer[kExchangeBufferSize] = {0x07};
    Outcome outcome{false, 6, 2};
    outcome.ok = polled ? exchange.transactPolled(buffer, outcome.length, outcome.type) == 0
                        : exchange.transact(buffer, outcome.length, outcome.type);
    return outcome;
}

TEST(ExchangeOrder, TransactChecksTheLineAfterEachStepAndPurgesBeforeTheChecksum) {
    RecordingPort port(kReply);
    ASSERT_TRUE(exchangeOver(port, false).ok);
    EXPECT_THAT(port.log,
                ElementsAre("write 4", "check", "write 2", "write 6", "check", "purge", "write 2",
                            "check", "read 4", "read 2", "check", "read 5", "check"));
}

TEST(ExchangeOrder, PolledPurgesFirstAndWritesHeaderAndKeyBackToBack) {
    RecordingPort port(kReply);
    ASSERT_TRUE(exchangeOver(port, true).ok);
    ASSERT_GE(port.log.size(), 7u);
    EXPECT_THAT(std::vector(port.log.begin(), port.log.begin() + 3),
                ElementsAre("purge", "write 4", "write 2"));
    const auto checksum = std::find(port.log.begin() + 3, port.log.end(), "purge");
    ASSERT_NE(checksum, port.log.end());
    EXPECT_EQ(*(checksum + 1), "write 2");
    EXPECT_EQ(*(checksum + 2), "check");
    EXPECT_THAT(std::vector(checksum + 3, port.log.end()),
                ElementsAre("read 4", "read 2", "check", "read 5", "check"));
}

TEST(ExchangeOrder, ALineErrorAtAnyCheckFailsTheExchange) {
    for (const bool polled : {false, true}) {
        RecordingPort clean(kReply);
        ASSERT_TRUE(exchangeOver(clean, polled).ok);
        const auto checks = std::count(clean.log.begin(), clean.log.end(), "check");
        for (int failing = 0; failing < checks; ++failing) {
            SCOPED_TRACE(testing::Message() << "polled=" << polled << " check=" << failing);
            RecordingPort port(kReply, failing);
            const Outcome outcome = exchangeOver(port, polled);
            EXPECT_FALSE(outcome.ok);
            // Nothing after the failing check is sent or read.
            const auto failed = std::find_if(port.log.begin(), port.log.end(),
                                             [&, seen = 0](const std::string& entry) mutable {
                                                 return entry == "check" && seen++ == failing;
                                             });
            EXPECT_EQ(failed + 1, port.log.end());
            if (failing == checks - 1) {
                // The last check comes after the reply was taken: its outputs stand, the
                // result still says failure.
                EXPECT_EQ(outcome.type, 0x08);
                EXPECT_EQ(outcome.length, 3);
            }
        }
    }
}

} // namespace
} // namespace krv
