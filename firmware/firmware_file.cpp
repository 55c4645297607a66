#include "firmware/firmware_file.h"

#include "firmware/afm_format.h"
#include "firmware/code_page_1250.h"
#include "firmware/exclusive_file.h"

#include <algorithm>
#include <array>

namespace krv {
namespace {

void descramble(std::span<std::uint8_t> bytes) {
    std::ranges::transform(bytes, bytes.begin(), afm::descrambleByte);
}

// The field ends at its first NUL, and never runs into the checksum after it.
std::u16string identificationOf(std::span<const std::uint8_t, afm::kHeaderSize> header) {
    const auto field = header.subspan(afm::kIdentificationOffset, afm::kIdentificationSize);
    const auto end = std::ranges::find(field, std::uint8_t{0});
    return fromCodePage1250(std::string(field.begin(), end));
}

} // namespace

bool CFirmwareFile::load(const std::filesystem::path& path, std::uint16_t& fileVersion,
                         std::u16string& identification, std::uint16_t& targetCode) {
    std::array<std::uint8_t, afm::kHeaderSize> header{};
    std::vector<std::uint8_t> data(afm::kImageSize);
    std::uint32_t dataLength = 0;
    {
        ExclusiveFile file(path);
        if (file.read(header) != header.size()) {
            return false;
        }
        descramble(header);
        dataLength = afm::readU32(header, afm::kDataLengthOffset);
        // One read of at most a buffer's worth; bytes past the data are never read.
        const auto wanted = std::min<std::size_t>(dataLength, data.size());
        const auto got = file.read(std::span(data).first(wanted));
        if (!got) {
            return false;
        }
        descramble(std::span(data).first(*got));
        if (*got < dataLength || *got < afm::kMinDataLength) {
            return false;
        }
    }

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
