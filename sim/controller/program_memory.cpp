#include "sim/controller/program_memory.h"

#include <algorithm>

namespace krv::sim {

// The application the controller left the factory with is unknown: memory reads as zeros
// and no row counts as erased.
ProgramMemory::ProgramMemory()
    : bytes_(byteOffset(kEndAddress), 0),
      rowErased_((kEndAddress - kFirstAddress) / kRowUnits, false) {}

bool ProgramMemory::erasePage(uint32_t address) {
    if (!inApplicationArea(address) || address % kPageUnits != 0) {
        return false;
    }
    std::fill_n(bytes_.begin() + byteOffset(address), byteOffset(kPageUnits), kErasedByte);
    const size_t firstRow = rowIndex(address);
    std::fill_n(rowErased_.begin() + firstRow, kPageUnits / kRowUnits, true);
    ++eraseCounts_[address];
    return true;
}

bool ProgramMemory::writeRow(uint32_t address, const uint8_t* bytes192) {
    if (!inApplicationArea(address) || address % kRowUnits != 0 || !rowErased_[rowIndex(address)]) {
        return false;
    }
    std::copy_n(bytes192, kRowBytes, bytes_.begin() + byteOffset(address));
    rowErased_[rowIndex(address)] = false;
    std::erase(writtenRows_, address);
    writtenRows_.push_back(address);
    return true;
}

} // namespace krv::sim
