#pragma once
// A controller firmware file (.afm) read into the program image that the bootloader writes.
// The tool only reads these files.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace krv {

class CFirmwareFile {
public:
    CFirmwareFile() = default;
    virtual ~CFirmwareFile() = default;
    CFirmwareFile(const CFirmwareFile&) = delete;
    CFirmwareFile& operator=(const CFirmwareFile&) = delete;

    // Reads and validates the file. On success the object holds the new image and the three
    // out-values are set; on failure nothing changes, neither the object nor the out-values.
    // The identification is converted from code page 1250. Target and identification are
    // not checked here: that is the caller's decision.
    bool load(const std::filesystem::path& path, std::uint16_t& fileVersion,
              std::u16string& identification, std::uint16_t& targetCode);
    // The same from a file's bytes in memory: those past the header and the stated data
    // length are not looked at, and fewer than stated fail as a short file does.
    bool load(std::span<const std::uint8_t> fileBytes, std::uint16_t& fileVersion,
              std::u16string& identification, std::uint16_t& targetCode);

    // Empty before the first successful load; afterwards exactly afm::kImageSize bytes,
    // zero from imageLength() on, so whole 256-byte blocks can be read anywhere in it.
    std::span<const std::uint8_t> image() const { return image_; }
    std::uint32_t imageLength() const { return imageLength_; }
    // 256-byte blocks that hold imageLength() bytes, a partial last block counted.
    std::uint32_t blockCount() const { return blockCount_; }

private:
    std::vector<std::uint8_t> image_;
    std::uint32_t imageLength_ = 0;
    std::uint32_t blockCount_ = 0;
};

} // namespace krv
