#pragma once
// The frame on the wire: AA 55 LL type keyHi keyLo payload[LL-2] sumHi sumLo, where the payload's
// little-endian words are rotated by (key & 0x0F) bits and the checksum is taken over the
// plain payload. Shared by the host's exchange and the simulator's controller side.

#include <cstddef>
#include <cstdint>

namespace krv {

inline constexpr uint8_t kFrameStart1 = 0xAA;
inline constexpr uint8_t kFrameStart2 = 0x55;
inline constexpr size_t kFrameHeaderSize = 4; // start bytes, LL, frame type
inline constexpr size_t kFrameKeySize = 2;
inline constexpr size_t kFrameChecksumSize = 2;
inline constexpr size_t kMaxFramePayload = 253; // LL is one byte and counts the checksum
inline constexpr size_t kExchangeBufferSize = 410;

inline uint8_t scrambleRotation(uint16_t key) {
    return key & 0x0F;
}
// Rotates each little-endian word left (scramble) or right (unscramble) by n bits; a last
// odd byte stays as it is.
void scramblePayload(uint8_t* payload, size_t length, uint8_t n);
void unscramblePayload(uint8_t* payload, size_t length, uint8_t n);
// 1 + plain payload bytes + key bytes + frame type + LL, wrapping at 16 bits.
uint16_t frameChecksum(const uint8_t* plainPayload, size_t length, uint16_t key, uint8_t frameType,
                       uint8_t ll);

} // namespace krv
