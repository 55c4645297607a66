#pragma once
// Firmware-file fixtures on disk and one load with its out-values.

#include "firmware/firmware_file.h"
#include "tests/support/temp_folder.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace krv::test {

// A fresh directory that writes the test's files into itself.
class TempDir : public TempFolder {
public:
    std::filesystem::path write(const std::string& name, std::span<const std::uint8_t> bytes) const;
};

// Out-values start as markers, so a failed load that touches them shows.
struct LoadResult {
    bool ok = false;
    std::uint16_t fileVersion = 0xDEAD;
    std::u16string identification = u"untouched";
    std::uint16_t targetCode = 0xBEEF;

    bool operator==(const LoadResult&) const = default;
    bool outValuesUntouched() const {
        return fileVersion == 0xDEAD && identification == u"untouched" && targetCode == 0xBEEF;
    }
};

LoadResult load(CFirmwareFile& file, const std::filesystem::path& path);

// Bytes 60 or 256 apart always differ, so a block or a part copied to the wrong place shows.
std::vector<std::uint8_t> patternImage(std::size_t length);

} // namespace krv::test
