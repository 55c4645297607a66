#include "link/frame_codec.h"

namespace krv {
namespace {

uint16_t rotateLeft(uint16_t word, uint8_t n) {
    return n == 0 ? word : static_cast<uint16_t>((word << n) | (word >> (16 - n)));
}

template <class Rotate> void rotateWords(uint8_t* payload, size_t length, Rotate rotate) {
    for (size_t i = 0; i + 1 < length; i += 2) {
        const auto word = static_cast<uint16_t>(payload[i] | (payload[i + 1] << 8));
        const uint16_t rotated = rotate(word);
        payload[i] = static_cast<uint8_t>(rotated & 0xFF);
        payload[i + 1] = static_cast<uint8_t>(rotated >> 8);
    }
}

} // namespace

void scramblePayload(uint8_t* payload, size_t length, uint8_t n) {
    n &= 0x0F;
    rotateWords(payload, length, [n](uint16_t w) { return rotateLeft(w, n); });
}

void unscramblePayload(uint8_t* payload, size_t length, uint8_t n) {
    n &= 0x0F;
    rotateWords(payload, length, [n](uint16_t w) { return rotateLeft(w, (16 - n) & 0x0F); });
}

uint16_t frameChecksum(const uint8_t* plainPayload, size_t length, uint16_t key, uint8_t frameType,
                       uint8_t ll) {
    uint16_t sum = 1;
    for (size_t i = 0; i < length; ++i) {
        sum = static_cast<uint16_t>(sum + plainPayload[i]);
    }
    return static_cast<uint16_t>(sum + (key >> 8) + (key & 0xFF) + frameType + ll);
}

} // namespace krv
