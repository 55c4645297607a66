#pragma once
// Layout of an .afm firmware file, shared by the reader and the test-side builder.
// Offsets and values are those of plain (descrambled) bytes; integers are little-endian.

#include <cstddef>
#include <cstdint>
#include <span>

namespace krv::afm {

inline constexpr std::size_t kHeaderSize = 40;
inline constexpr std::size_t kDataLengthOffset = 0;
inline constexpr std::size_t kFileVersionOffset = 4;
inline constexpr std::size_t kTargetCodeOffset = 6;
inline constexpr std::size_t kReservedOffset = 8;
inline constexpr std::size_t kReservedSize = 11;
inline constexpr std::size_t kIdentificationOffset = 19;
inline constexpr std::size_t kIdentificationSize = 19;
inline constexpr std::size_t kChecksumOffset = 38;

// The image buffer always has this size; programming reads whole blocks anywhere below it.
inline constexpr std::size_t kImageSize = 0x18000;
inline constexpr std::size_t kBlockSize = 256;

// Data bytes 8,320..8,379 sit between two parts of the image and are dropped.
inline constexpr std::size_t kDroppedOffset = 8320;
inline constexpr std::size_t kDroppedSize = 60;

inline constexpr std::uint32_t kMinDataLength = kDroppedOffset + kDroppedSize + 1;
inline constexpr std::uint32_t kMaxDataLength = kImageSize;

// Every stored byte is the plain byte rotated left by two bits. A function object, so that a
// loop over a whole file inlines it.
inline constexpr auto descrambleByte = [](std::uint8_t stored) {
    return static_cast<std::uint8_t>(((stored & 0x03) << 6) | (stored >> 2));
};

// 1 + the byte sum, wrapping at 16 bits. The count is a 16-bit number too, so only the first
// length mod 65,536 bytes are summed (never more than `bytes` holds).
std::uint16_t fileChecksum(std::span<const std::uint8_t> bytes, std::uint32_t length);

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset);

} // namespace krv::afm
