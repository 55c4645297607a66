#include "sim/wire/reply_faults.h"

#include "link/frame_codec.h"
#include "sim/wire/frame_encoder.h"

namespace krv::sim {
namespace {

using namespace std::chrono_literals;

constexpr auto kSplitPause = 20ms;

bool strikes(const FaultRate& rate, uint64_t replyNumber, std::mt19937& random) {
    if (rate.every != 0 && replyNumber % rate.every == 0) {
        return true;
    }
    return rate.probability > 0 &&
           std::uniform_real_distribution<double>(0, 1)(random) < rate.probability;
}

} // namespace

std::vector<ReplyChunk> faultyReply(const FaultOptions& faults, const Frame& reply, uint16_t key,
                                    uint64_t replyNumber, std::mt19937& random) {
    if (strikes(faults.dropReply, replyNumber, random)) {
        return {};
    }
    const bool wrongType = strikes(faults.wrongFrameType, replyNumber, random);
    std::vector<uint8_t> bytes =
        encodeFrame(wrongType ? reply.type ^ 0x80 : reply.type, key, reply.payload);
    if (strikes(faults.corruptReply, replyNumber, random)) {
        std::uniform_int_distribution<size_t> where(kFrameHeaderSize + kFrameKeySize,
                                                    bytes.size() - 1);
        // One bit: the checksum is sure to catch it, as it is for a single-bit line error.
        std::uniform_int_distribution<int> bit(0, 7);
        bytes[where(random)] ^= static_cast<uint8_t>(1u << bit(random));
    }
    if (strikes(faults.strayBytes, replyNumber, random)) {
        std::uniform_int_distribution<int> count(1, 3);
        std::uniform_int_distribution<int> value(0, 0xA9); // never the start byte
        std::vector<uint8_t> stray(static_cast<size_t>(count(random)));
        for (uint8_t& byte : stray) {
            byte = static_cast<uint8_t>(value(random));
        }
        bytes.insert(bytes.begin(), stray.begin(), stray.end());
    }
    if (strikes(faults.splitReply, replyNumber, random)) {
        std::uniform_int_distribution<size_t> where(1, bytes.size() - 1);
        const auto cut = static_cast<ptrdiff_t>(where(random));
        return {{{bytes.begin(), bytes.begin() + cut}, 0ms},
                {{bytes.begin() + cut, bytes.end()}, kSplitPause}};
    }
    return {{std::move(bytes), 0ms}};
}

bool replugsAt(const FaultOptions& faults, uint64_t accepted) {
    return faults.replugAfter != 0 && accepted % faults.replugAfter == 0;
}

bool silenceStartsAt(const FaultOptions& faults, uint64_t accepted) {
    return faults.silentAfter != 0 && accepted == faults.silentAfter;
}

} // namespace krv::sim
