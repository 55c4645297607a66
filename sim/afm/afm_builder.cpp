#include "sim/afm/afm_builder.h"

#include "firmware/afm_format.h"

#include <algorithm>
#include <fstream>

namespace krv::sim {
namespace {

void putU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    putU16(bytes, offset, static_cast<std::uint16_t>(value));
    putU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t expectedChecksum(std::span<const std::uint8_t> plain) {
    std::array<std::uint8_t, afm::kHeaderSize> header{};
    std::copy_n(plain.begin(), header.size(), header.begin());
    putU16(header, afm::kChecksumOffset, 0);
    const auto data = plain.subspan(afm::kHeaderSize);
    const std::uint32_t dataLength = afm::readU32(header, afm::kDataLengthOffset);
    return static_cast<std::uint16_t>(afm::fileChecksum(header, header.size()) +
                                      afm::fileChecksum(data, dataLength));
}

} // namespace

std::vector<std::uint8_t> sealAfm(std::vector<std::uint8_t> plain) {
    if (plain.size() >= afm::kHeaderSize) {
        putU16(plain, afm::kChecksumOffset, expectedChecksum(plain));
    }
    std::ranges::transform(plain, plain.begin(), scrambleByte);
    return plain;
}

std::vector<std::uint8_t> buildAfm(const AfmContents& contents) {
    const auto& image = contents.image;
    const auto split = std::min(image.size(), afm::kDroppedOffset);
    std::vector<std::uint8_t> file(afm::kHeaderSize);
    file.insert(file.end(), image.begin(), image.begin() + split);
    if (image.size() >= afm::kDroppedOffset) {
        file.insert(file.end(), afm::kDroppedSize, contents.droppedFill);
    }
    file.insert(file.end(), image.begin() + split, image.end());
    const auto dataWritten = static_cast<std::uint32_t>(file.size() - afm::kHeaderSize);
    file.insert(file.end(), contents.trailing.begin(), contents.trailing.end());

    putU32(file, afm::kDataLengthOffset, contents.dataLength.value_or(dataWritten));
    putU16(file, afm::kFileVersionOffset, contents.fileVersion);
    putU16(file, afm::kTargetCodeOffset, contents.targetCode);
    std::ranges::copy(contents.reserved, file.begin() + afm::kReservedOffset);
    const auto idLength = std::min(contents.identification.size(), afm::kIdentificationSize);
    std::copy_n(contents.identification.begin(), idLength,
                file.begin() + afm::kIdentificationOffset);

    auto sealed = sealAfm(std::move(file));
    if (contents.badChecksum) {
        // Any change of the plain checksum makes a bad one; flip its lowest bit.
        sealed[afm::kChecksumOffset] ^= scrambleByte(0x01);
    }
    return sealed;
}

bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace krv::sim
