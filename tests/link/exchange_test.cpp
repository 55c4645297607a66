// The framed exchange with a real port against the simulated controller on a pseudo-terminal.

#include "tests/link/simulated_port.h"

#include <future>
#include <gmock/gmock.h>
#include <thread>

namespace krv::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using ::testing::ElementsAreArray;

Bytes head(const std::array<uint8_t, kExchangeBufferSize>& buffer, size_t count) {
    return Bytes(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(count));
}

// Reference rotation, written apart from the codec so a fault in one does not hide in both.
Bytes rotatedWords(Bytes bytes, unsigned n) {
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned word = bytes[i] | (bytes[i + 1] << 8);
        const unsigned rotated = ((word << n) | (word >> ((16 - n) % 16))) & 0xFFFF;
        bytes[i] = rotated & 0xFF;
        bytes[i + 1] = rotated >> 8;
    }
    return bytes;
}

using Exchange = SimulatedPortTest;

TEST_F(Exchange, WorkedExampleByteForByte) {
    exchange.setKeySource([] { return uint16_t{0x1234}; });
    simulator.setKeySource([] { return uint16_t{0x0105}; });
    handler.setReply([](const sim::Frame&) { return sim::Frame{8, {0x00, 0x01, 0x11}}; });

    auto buffer = request({0x07, 0, 0, 0, 0, 0});
    uint8_t length = 6;
    uint8_t type = 2;
    ASSERT_TRUE(exchange.transact(buffer.data(), length, type));

    EXPECT_EQ(simulator.lastReceived(),
              (Bytes{0xAA, 0x55, 0x08, 0x02, 0x12, 0x34, 0x70, 0, 0, 0, 0, 0, 0x00, 0x58}));
    EXPECT_EQ(simulator.lastSent(),
              (Bytes{0xAA, 0x55, 0x05, 0x08, 0x01, 0x05, 0x00, 0x20, 0x11, 0x00, 0x26}));
    EXPECT_EQ(type, 8);
    EXPECT_EQ(length, 3);
    // The plain reply, then its checksum as received, then zeros to the end of the buffer.
    Bytes expected(kExchangeBufferSize, 0);
    expected[1] = 0x01, expected[2] = 0x11, expected[4] = 0x26;
    EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), expected);
}

TEST_F(Exchange, ScramblesEveryRotationWithEvenAndOddPayloads) {
    for (unsigned n = 0; n < 16; ++n) {
        for (const Bytes& payload : {Bytes{0x81, 0x42, 0x24, 0x18}, Bytes{0x81, 0x42, 0xC3}}) {
            SCOPED_TRACE(testing::Message() << "n=" << n << " length=" << payload.size());
            const auto key = static_cast<uint16_t>(0x5A30 | n);
            exchange.setKeySource([key] { return key; });
            simulator.setKeySource([n] { return static_cast<uint16_t>(0x0240 | (15 - n)); });
            auto buffer = request({});
            std::copy(payload.begin(), payload.end(), buffer.begin());
            auto length = static_cast<uint8_t>(payload.size());
            uint8_t type = 0x21;
            ASSERT_TRUE(exchange.transact(buffer.data(), length, type));

            const Bytes wire = simulator.lastReceived();
            ASSERT_EQ(wire.size(), 8 + payload.size());
            // Words rotated left by n, a last odd byte as it is.
            EXPECT_EQ(Bytes(wire.begin() + 6, wire.end() - 2), rotatedWords(payload, n));
            // The echo travelled back scrambled with the reply key and came out plain.
            EXPECT_EQ(length, payload.size());
            EXPECT_EQ(head(buffer, payload.size()), payload);
        }
    }
    EXPECT_EQ(simulator.counters().rejected, 0u);
}

TEST_F(Exchange, RejectsRepliesTheControllerCouldNotHaveMeant) {
    struct Case {
        const char* what;
        Bytes reply;
    };
    // Checksum taken over the payload as it travels instead of the plain one.
    Bytes scrambledSum = sim::encodeFrame(0x08, 0x0003, {0x01, 0x02, 0x03});
    const uint16_t wrongSum = frameChecksum(scrambledSum.data() + 6, 3, 0x0003, 0x08, 5);
    scrambledSum[9] = static_cast<uint8_t>(wrongSum >> 8);
    scrambledSum[10] = static_cast<uint8_t>(wrongSum & 0xFF);
    Bytes fourStray = {0x01, 0x02, 0x03, 0x04};
    const Bytes frame = sim::encodeFrame(0x08, 0x0000, {0x11});
    fourStray.insert(fourStray.end(), frame.begin(), frame.end());
    const Case cases[] = {
        {"empty payload", sim::encodeFrame(0x08, 0x0105, {})},
        {"checksum over the scrambled payload", scrambledSum},
        {"four bytes without a start byte", fourStray},
        {"length below the checksum", {0xAA, 0x55, 0x01, 0x08, 0x00, 0x00, 0x11, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        simulator.scriptNextReply({{c.reply, 0ms}});
        auto buffer = request({0x01});
        uint8_t length = 1;
        uint8_t type = 0x08;
        EXPECT_FALSE(exchange.transact(buffer.data(), length, type));
    }
}

TEST_F(Exchange, ResynchronisesOnceOnTheFirstStartByte) {
    const Bytes frame = sim::encodeFrame(0x08, 0x0123, {0x10, 0x20, 0x30});
    for (const Bytes& stray : {Bytes{0x00}, Bytes{0x55, 0x13}, Bytes{0x7F, 0x55, 0x01}}) {
        SCOPED_TRACE(stray.size());
        Bytes reply = stray;
        reply.insert(reply.end(), frame.begin(), frame.end());
        simulator.scriptNextReply({{reply, 0ms}});
        auto buffer = request({0x01});
        uint8_t length = 1;
        uint8_t type = 0x08;
        ASSERT_TRUE(exchange.transact(buffer.data(), length, type));
        EXPECT_EQ(head(buffer, 3), (Bytes{0x10, 0x20, 0x30}));
    }
}

TEST_F(Exchange, SecondStartByteIsNotCheckedTheChecksumDecides) {
    Bytes reply = sim::encodeFrame(0x08, 0x0007, {0x10, 0x20, 0x30});
    reply[1] = 0x00;
    simulator.scriptNextReply({{reply, 0ms}});
    auto buffer = request({0x01});
    uint8_t length = 1;
    uint8_t type = 0x08;
    EXPECT_TRUE(exchange.transact(buffer.data(), length, type));
    EXPECT_EQ(head(buffer, 3), (Bytes{0x10, 0x20, 0x30}));

    reply.back() ^= 0x01;
    simulator.scriptNextReply({{reply, 0ms}});
    buffer = request({0x01});
    length = 1;
    EXPECT_FALSE(exchange.transact(buffer.data(), length, type));
}

// The pause outlasts the first payload read (1000 ms + 1 ms per byte) but not the second read
// that transact makes 50 ms later.
TEST_F(Exchange, ReplySplitPastTheReadTimeOutIsTakenByTransactOnly) {
    const Bytes frame = sim::encodeFrame(0x08, 0x0042, {0x01, 0x02, 0x03, 0x04});
    const auto cut = frame.begin() + 7;
    const std::vector<sim::ReplyChunk> split = {{{frame.begin(), cut}, 0ms},
                                                {{cut, frame.end()}, 1300ms}};

    simulator.scriptNextReply(split);
    auto buffer = request({0x01});
    uint8_t length = 1;
    uint8_t type = 0x08;
    EXPECT_TRUE(exchange.transact(buffer.data(), length, type));
    EXPECT_EQ(head(buffer, 4), (Bytes{0x01, 0x02, 0x03, 0x04}));

    simulator.scriptNextReply(split);
    buffer = request({0x01});
    length = 1;
    EXPECT_EQ(exchange.transactPolled(buffer.data(), length, type), CFrameExchange::kPolledFailed);
}

TEST_F(Exchange, RequestTooLongToFrameFailsWithoutSending) {
    auto buffer = request({});
    uint8_t length = 254;
    uint8_t type = 0x08;
    EXPECT_FALSE(exchange.transact(buffer.data(), length, type));
    EXPECT_EQ(exchange.transactPolled(buffer.data(), length, type), CFrameExchange::kPolledFailed);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(simulator.counters().received, 0u);
}

// A pulled cable in the middle of an exchange: the error leaves with the mutex released.
TEST_F(Exchange, PortVanishingMidExchangeRaisesCode6AndFreesTheMutex) {
    simulator.vanishOnNextRequest(false);
    auto buffer = request({0x01});
    uint8_t length = 1;
    uint8_t type = 0x08;
    const auto error = caughtError([&] { exchange.transact(buffer.data(), length, type); });
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), 6u);
    EXPECT_EQ(error->line(), 167); // the read waiting for the reply
    EXPECT_EQ(error->file(), u"serialport");
    EXPECT_EQ(error->className(), u"CRSError");

    // Another thread's exchange gets through the lock and meets the dead port itself.
    std::promise<unsigned> other;
    std::thread polling([&] {
        auto polled = request({0x01});
        uint8_t polledLength = 1;
        uint8_t polledType = 0x03;
        const auto raised =
            caughtError([&] { exchange.transactPolled(polled.data(), polledLength, polledType); });
        other.set_value(raised ? raised->code() : 0u);
    });
    auto result = other.get_future();
    ASSERT_EQ(result.wait_for(10s), std::future_status::ready) << "the mutex stayed locked";
    polling.join();
    EXPECT_EQ(result.get(), 6u);
}

TEST_F(Exchange, TwoThreadsNeverInterleaveFrames) {
    constexpr int kRounds = 1500;
    std::atomic<int> failures{0};
    auto work = [&](bool polled, uint8_t seed) {
        for (int i = 0; i < kRounds; ++i) {
            const uint8_t count = 1 + (i + seed) % 40;
            auto buffer = request({});
            for (uint8_t k = 0; k < count; ++k) {
                buffer[k] = static_cast<uint8_t>(seed + i + k * 7);
            }
            const Bytes sent = head(buffer, count);
            uint8_t length = count;
            uint8_t type = polled ? 0x03 : 0x02;
            const bool ok = polled ? exchange.transactPolled(buffer.data(), length, type) == 0
                                   : exchange.transact(buffer.data(), length, type);
            if (!ok || length != count || head(buffer, count) != sent) {
                ++failures;
            }
        }
    };
    std::thread other(work, true, 101);
    work(false, 7);
    other.join();
    EXPECT_EQ(failures, 0);
    const sim::WireCounters counters = simulator.counters();
    EXPECT_EQ(counters.received, 2u * kRounds);
    EXPECT_EQ(counters.rejected, 0u);
}

} // namespace
} // namespace krv::test
