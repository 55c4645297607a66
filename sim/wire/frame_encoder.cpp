#include "sim/wire/frame_encoder.h"

#include "link/frame_codec.h"

#include <algorithm>

namespace krv::sim {

std::vector<uint8_t> encodeFrame(uint8_t frameType, uint16_t key,
                                 const std::vector<uint8_t>& payload) {
    const size_t length = std::min(payload.size(), kMaxFramePayload);
    const auto ll = static_cast<uint8_t>(length + kFrameChecksumSize);
    std::vector<uint8_t> bytes = {kFrameStart1,
                                  kFrameStart2,
                                  ll,
                                  frameType,
                                  static_cast<uint8_t>(key >> 8),
                                  static_cast<uint8_t>(key & 0xFF)};
    bytes.insert(bytes.end(), payload.begin(), payload.begin() + static_cast<ptrdiff_t>(length));
    const uint16_t checksum = frameChecksum(bytes.data() + 6, length, key, frameType, ll);
    scramblePayload(bytes.data() + 6, length, scrambleRotation(key));
    bytes.push_back(static_cast<uint8_t>(checksum >> 8));
    bytes.push_back(static_cast<uint8_t>(checksum & 0xFF));
    return bytes;
}

} // namespace krv::sim
