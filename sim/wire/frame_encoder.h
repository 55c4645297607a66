#pragma once
// Reply frames as the controller puts them on the wire.

#include <cstdint>
#include <vector>

namespace krv::sim {

// Wire bytes of a frame with the given plain payload (at most 253 bytes).
std::vector<uint8_t> encodeFrame(uint8_t frameType, uint16_t key,
                                 const std::vector<uint8_t>& payload);

} // namespace krv::sim
