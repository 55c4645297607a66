#pragma once
// The try loop every command shares: each try starts from a zeroed exchange buffer, builds the
// request afresh (the exchange scrambles it in place) and makes one exchange; the first reply
// the command accepts ends the loop.

#include "device/lpg_device.h"
#include "device/protocol_codes.h"
#include "link/frame_codec.h"

#include <array>
#include <cstdint>
#include <optional>

namespace krv::device_detail {

inline constexpr uint8_t kCommandLength = 6;

struct Reply {
    uint8_t frameType = 0;
    uint8_t length = 0;
    std::array<uint8_t, kExchangeBufferSize> payload{};

    uint16_t word(int offset) const {
        return static_cast<uint16_t>(payload[offset] | (payload[offset + 1] << 8));
    }
    bool isStatus() const { return frameType == protocol::kStatusFrame; }
    bool isAcknowledgement() const {
        return isStatus() && payload[0] == protocol::kStatusAcknowledged;
    }
    // A reply of the given type that carries at least the bytes the command decodes.
    bool is(uint8_t type, uint8_t minimumLength) const {
        return frameType == type && length >= minimumLength;
    }
};

template <class Build, class Accepts>
std::optional<Reply> exchangeWithTries(CLPGDevice& device, int tries, uint8_t frameType,
                                       uint8_t length, Build build, Accepts accepts) {
    bool unanswered = false;
    for (int attempt = 0; attempt < tries; ++attempt) {
        // After silence the controller answering may be another one.
        if (unanswered && !device.mayRetry()) {
            return std::nullopt;
        }
        Reply reply;
        build(reply.payload.data());
        reply.frameType = frameType;
        reply.length = length;
        unanswered = !device.transact(reply.payload.data(), reply.length, reply.frameType);
        if (!unanswered && accepts(reply)) {
            return reply;
        }
    }
    return std::nullopt;
}

// A command frame's request carrying only its operation code.
inline auto operationCode(uint8_t code) {
    return [code](uint8_t* payload) { payload[0] = code; };
}

inline bool acknowledged(const Reply& reply) {
    return reply.isAcknowledgement();
}

} // namespace krv::device_detail
