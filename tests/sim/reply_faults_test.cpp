// What each injected fault makes of a reply on the wire, and which replies and requests the
// fault rates strike, without a pseudo-terminal.

#include "sim/wire/frame_encoder.h"
#include "sim/wire/reply_faults.h"

#include <bit>
#include <gtest/gtest.h>

namespace krv::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

const Frame kReply{0x05, {0x10, 0x20, 0x30, 0x40}};
constexpr uint16_t kKey = 0x0123;
const Bytes kClean = encodeFrame(kReply.type, kKey, kReply.payload);

std::vector<ReplyChunk> strikeEveryReply(FaultRate FaultOptions::*fault, uint32_t seed) {
    FaultOptions faults;
    (faults.*fault).every = 1;
    std::mt19937 random(seed);
    return faultyReply(faults, kReply, kKey, 1, random);
}

TEST(ReplyFaults, EachFaultShapesTheReplyAsOnAWire) {
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        EXPECT_TRUE(strikeEveryReply(&FaultOptions::dropReply, seed).empty());

        const auto wrongType = strikeEveryReply(&FaultOptions::wrongFrameType, seed);
        ASSERT_EQ(wrongType.size(), 1u);
        EXPECT_EQ(wrongType[0].bytes, encodeFrame(kReply.type ^ 0x80, kKey, kReply.payload));

        const auto corrupt = strikeEveryReply(&FaultOptions::corruptReply, seed);
        ASSERT_EQ(corrupt.size(), 1u);
        ASSERT_EQ(corrupt[0].bytes.size(), kClean.size());
        int flippedBits = 0;
        for (size_t i = 0; i < kClean.size(); ++i) {
            const int bits = std::popcount(static_cast<unsigned>(corrupt[0].bytes[i] ^ kClean[i]));
            EXPECT_TRUE(bits == 0 || i >= 6) << "header byte " << i << " changed";
            flippedBits += bits;
        }
        EXPECT_EQ(flippedBits, 1);

        const auto stray = strikeEveryReply(&FaultOptions::strayBytes, seed);
        ASSERT_EQ(stray.size(), 1u);
        const Bytes& strayBytes = stray[0].bytes;
        ASSERT_GE(strayBytes.size(), kClean.size() + 1);
        ASSERT_LE(strayBytes.size(), kClean.size() + 3);
        const size_t extra = strayBytes.size() - kClean.size();
        EXPECT_EQ(Bytes(strayBytes.begin() + static_cast<ptrdiff_t>(extra), strayBytes.end()),
                  kClean);
        for (size_t i = 0; i < extra; ++i) {
            EXPECT_NE(strayBytes[i], 0xAA) << "a stray byte may not look like a frame start";
        }

        const auto split = strikeEveryReply(&FaultOptions::splitReply, seed);
        ASSERT_EQ(split.size(), 2u);
        EXPECT_FALSE(split[0].bytes.empty());
        EXPECT_FALSE(split[1].bytes.empty());
        EXPECT_EQ(split[0].pauseBefore, 0ms);
        EXPECT_EQ(split[1].pauseBefore, 20ms);
        Bytes joined = split[0].bytes;
        joined.insert(joined.end(), split[1].bytes.begin(), split[1].bytes.end());
        EXPECT_EQ(joined, kClean);
    }
}

TEST(ReplyFaults, RatesStrikeEveryNthReplyOrByChance) {
    std::mt19937 random(7);
    FaultOptions faults;
    faults.dropReply.every = 3;
    std::vector<uint64_t> dropped;
    for (uint64_t reply = 1; reply <= 9; ++reply) {
        if (faultyReply(faults, kReply, kKey, reply, random).empty()) {
            dropped.push_back(reply);
        }
    }
    EXPECT_EQ(dropped, (std::vector<uint64_t>{3, 6, 9}));

    faults = {};
    faults.dropReply.probability = 0.25;
    int drops = 0;
    for (uint64_t reply = 1; reply <= 4000; ++reply) {
        drops += faultyReply(faults, kReply, kKey, reply, random).empty() ? 1 : 0;
    }
    EXPECT_NEAR(drops, 1000, 150);

    faults = {};
    const auto clean = faultyReply(faults, kReply, kKey, 1, random);
    ASSERT_EQ(clean.size(), 1u);
    EXPECT_EQ(clean[0].bytes, kClean);
}

TEST(ReplyFaults, SilenceAndReplugFollowTheAcceptedRequests) {
    FaultOptions faults;
    EXPECT_FALSE(replugsAt(faults, 1));
    EXPECT_FALSE(silenceStartsAt(faults, 0));
    faults.replugAfter = 3;
    faults.silentAfter = 2;
    for (uint64_t accepted = 1; accepted <= 7; ++accepted) {
        EXPECT_EQ(replugsAt(faults, accepted), accepted % 3 == 0) << accepted;
        EXPECT_EQ(silenceStartsAt(faults, accepted), accepted == 2) << accepted;
    }
}

} // namespace
} // namespace krv::sim
