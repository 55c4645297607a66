#include "firmware/firmware_file.h"

#include "firmware/afm_format.h"
#include "platform/code_page_1250.h"
#include "platform/exclusive_file.h"

#include <algorithm>
#include <array>
#include <optional>

namespace krv {
namespace {

// The field ends at its first NUL, and never runs into the checksum after it.
std::u16string identificationOf(std::span<const std::uint8_t, afm::kHeaderSize> header) {
    const auto field = header.subspan(afm::kIdentificationOffset, afm::kIdentificationSize);
    const auto end = std::ranges::find(field, std::uint8_t{0});
    return fromCodePage1250(std::string(field.begin(), end));
}

// The header and at most an image's worth of the data it announces, in two reads; the bytes
// after that are never read. Nothing when the file cannot be opened or read.
std::optional<std::vector<std::uint8_t>> readAfmFile(const std::filesystem::path& path) {
    ExclusiveFile file(path);
    std::vector<std::uint8_t> bytes(afm::kHeaderSize + afm::kImageSize);
    const auto header = std::span(bytes).first(afm::kHeaderSize);
    const auto gotHeader = file.read(header);
    if (!gotHeader || *gotHeader < header.size()) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 4> dataLength{};
    std::ranges::transform(header.first(dataLength.size()), dataLength.begin(),
                           afm::descrambleByte);
    const auto wanted = std::min<std::size_t>(afm::readU32(dataLength, 0), afm::kImageSize);
    const auto gotData = file.read(std::span(bytes).subspan(afm::kHeaderSize, wanted));
    if (!gotData) {
        return std::nullopt;
    }
    bytes.resize(afm::kHeaderSize + *gotData);
    return bytes;
}

} // namespace

bool CFirmwareFile::load(const std::filesystem::path& path, std::uint16_t& fileVersion,
                         std::u16string& identification, std::uint16_t& targetCode) {
    const auto bytes = readAfmFile(path);
    return bytes && load(*bytes, fileVersion, identification, targetCode);
}

bool CFirmwareFile::load(std::span<const std::uint8_t> fileBytes, std::uint16_t& fileVersion,
                         std::u16string& identification, std::uint16_t& targetCode) {
    if (fileBytes.size() < afm::kHeaderSize) {
        return false;
    }
    std::array<std::uint8_t, afm::kHeaderSize> header{};
    std::ranges::transform(fileBytes.first(header.size()), header.begin(), afm::descrambleByte);
    const std::uint32_t dataLength = afm::readU32(header, afm::kDataLengthOffset);
    const auto stored = fileBytes.subspan(header.size());
    if (dataLength > afm::kMaxDataLength || stored.size() < dataLength ||
        dataLength < afm::kMinDataLength) {
        return false;
    }
    std::vector<std::uint8_t> data(dataLength);
    std::ranges::transform(stored.first(dataLength), data.begin(), afm::descrambleByte);

    const std::uint16_t storedChecksum = afm::readU16(header, afm::kChecksumOffset);
    header[afm::kChecksumOffset] = 0;
    header[afm::kChecksumOffset + 1] = 0;
    const auto checksum = static_cast<std::uint16_t>(afm::fileChecksum(data, dataLength) +
                                                     afm::fileChecksum(header, header.size()));
    if (checksum != storedChecksum) {
        return false;
    }

    std::vector<std::uint8_t> newImage(afm::kImageSize);
    const auto imageTail = data.begin() + afm::kDroppedOffset + afm::kDroppedSize;
    std::copy(data.begin(), data.begin() + afm::kDroppedOffset, newImage.begin());
    std::copy(imageTail, data.begin() + dataLength, newImage.begin() + afm::kDroppedOffset);
    std::u16string newIdentification = identificationOf(header);

    image_ = std::move(newImage);
    imageLength_ = dataLength - static_cast<std::uint32_t>(afm::kDroppedSize);
    blockCount_ = (imageLength_ + afm::kBlockSize - 1) / afm::kBlockSize;
    fileVersion = afm::readU16(header, afm::kFileVersionOffset);
    identification = std::move(newIdentification);
    targetCode = afm::readU16(header, afm::kTargetCodeOffset);
    return true;
}

} // namespace krv
