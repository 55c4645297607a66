#include "firmware/afm_format.h"

#include <algorithm>
#include <numeric>

namespace krv::afm {

std::uint16_t fileChecksum(std::span<const std::uint8_t> bytes, std::uint32_t length) {
    const std::size_t counted = std::min<std::size_t>(length % 0x10000, bytes.size());
    const auto summed = bytes.first(counted);
    return static_cast<std::uint16_t>(std::accumulate(summed.begin(), summed.end(), 1u));
}

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(readU16(bytes, offset)) |
           (static_cast<std::uint32_t>(readU16(bytes, offset + 2)) << 16);
}

} // namespace krv::afm
