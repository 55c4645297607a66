#pragma once
// Builds firmware files (.afm). The tool itself never writes them; tests, the simulator and
// krv-afm do.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krv::sim {

// What goes into a file. The defaults give a valid file for the controller.
struct AfmContents {
    // Program image from offset 0, as CFirmwareFile::image() returns it; its size is the
    // image length. The builder inserts the 60 dropped data bytes at image offset 8,320.
    std::vector<std::uint8_t> image;
    std::uint16_t fileVersion = 0x0100;
    std::uint16_t targetCode = 0x0101;
    // Code page 1250 bytes, NUL-padded to the 19-byte field; 19 bytes leave no NUL in it.
    std::string identification = "MORVELCASTR_33EP";
    std::array<std::uint8_t, 11> reserved{};
    std::uint8_t droppedFill = 0xA5;
    // The header's data length; by default the count of data bytes written.
    std::optional<std::uint32_t> dataLength;
    bool badChecksum = false;
    // Written after the data and not counted in the data length.
    std::vector<std::uint8_t> trailing;
};

// The file's bytes as stored on disk. Identification bytes beyond the field are cut off.
std::vector<std::uint8_t> buildAfm(const AfmContents& contents);

// Plain file bytes (header, data, anything after) to stored bytes: fills in the checksum the
// reader expects for the header's data length, then scrambles every byte. Fewer than 40
// bytes are only scrambled.
std::vector<std::uint8_t> sealAfm(std::vector<std::uint8_t> plain);

// The reverse of afm::descrambleByte, a function object for the same reason.
inline constexpr auto scrambleByte = [](std::uint8_t plain) {
    return static_cast<std::uint8_t>((plain << 2) | (plain >> 6));
};

// A full image of 81,920 bytes, the most the bootloader programs (up to program address
// 0xA000). Each instruction word holds its own program address, so programmed rows can be
// checked against it.
std::vector<std::uint8_t> sampleImage();

bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace krv::sim
