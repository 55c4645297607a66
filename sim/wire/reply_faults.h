#pragma once
// The faults the simulated controller puts on its side of the wire: which replies and requests
// they strike, and what a struck reply looks like on the wire.

#include "sim/wire/command_handler.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

namespace krv::sim {

// How often a fault strikes: with a probability per reply (0..1), and/or on every Nth reply.
struct FaultRate {
    double probability = 0;
    unsigned every = 0;
};

struct FaultOptions {
    FaultRate corruptReply;   // one bit of the payload or checksum flipped
    FaultRate dropReply;      // no reply at all
    FaultRate splitReply;     // reply in two writes 20 ms apart
    FaultRate strayBytes;     // 1 to 3 bytes (never 0xAA) before the reply
    FaultRate wrongFrameType; // the reply carries another frame type
    // After silentAfter accepted requests, answer nothing for silentFor, then come back.
    unsigned silentAfter = 0;
    std::chrono::milliseconds silentFor{0};
    // Every replugAfter-th accepted request, close the pseudo-terminal (100 ms later) instead
    // of answering and open a new one behind the same link.
    unsigned replugAfter = 0;
};

// One write of a reply, sent after the pause.
struct ReplyChunk {
    std::vector<uint8_t> bytes;
    std::chrono::milliseconds pauseBefore{0};
};

// The writes that carry reply number `replyNumber` (from 1), sent with `key`, through the
// faults that strike it; none when it is dropped.
std::vector<ReplyChunk> faultyReply(const FaultOptions& faults, const Frame& reply, uint16_t key,
                                    uint64_t replyNumber, std::mt19937& random);

// Whether the accepted request number `accepted` (from 1) is answered by replugging the port.
bool replugsAt(const FaultOptions& faults, uint64_t accepted);
// Whether the silence of a pulled cable starts with the accepted request number `accepted`.
bool silenceStartsAt(const FaultOptions& faults, uint64_t accepted);

} // namespace krv::sim
