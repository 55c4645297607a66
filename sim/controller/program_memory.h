#pragma once
// The controller's program memory as its bootloader sees it: 24-bit words, two address units
// per word. Only the application area may be erased and written, a page at a time and a row
// at a time, and a row only once after its page was erased.

#include "device/protocol_codes.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace krv::sim {

class ProgramMemory {
public:
    static constexpr uint32_t kFirstAddress = protocol::kFirstProgramAddress;
    static constexpr uint32_t kEndAddress = protocol::kEndProgramAddress;
    static constexpr uint32_t kPageUnits = protocol::kPageUnits;
    static constexpr uint32_t kRowUnits = protocol::kRowUnits;
    static constexpr size_t kRowBytes = protocol::kRowDataBytes;
    static constexpr uint8_t kErasedByte = 0xFF;

    ProgramMemory();

    // False (memory unchanged) for an address that is not a page of the application area.
    bool erasePage(uint32_t address);
    // False (memory unchanged) for an address that is not a row of the application area or a
    // row not erased since it was last written.
    bool writeRow(uint32_t address, const uint8_t* bytes192);

    // The three bytes of each word from address 0 to kEndAddress, low byte first.
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    // How often each page was erased, by page address.
    const std::map<uint32_t, unsigned>& eraseCounts() const { return eraseCounts_; }
    // Rows written since start, by address, in the order of their last write.
    const std::vector<uint32_t>& writtenRows() const { return writtenRows_; }

    static size_t byteOffset(uint32_t address) { return address / 2 * 3; }

private:
    static bool inApplicationArea(uint32_t address) {
        return address >= kFirstAddress && address < kEndAddress;
    }
    size_t rowIndex(uint32_t address) const { return (address - kFirstAddress) / kRowUnits; }

    std::vector<uint8_t> bytes_;
    std::vector<bool> rowErased_; // per row of the application area
    std::map<uint32_t, unsigned> eraseCounts_;
    std::vector<uint32_t> writtenRows_;
};

} // namespace krv::sim
