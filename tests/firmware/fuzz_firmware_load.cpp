// Arbitrary file contents through CFirmwareFile::load, from memory to keep the fuzzer fast. Inputs
// whose first byte is odd are taken as plain bytes, padded to their stated data length and sealed
// with the checksum the reader expects, so the fuzzer also reaches the image building behind the
// checksum test.

#include "firmware/afm_format.h"
#include "firmware/firmware_file.h"
#include "sim/afm/afm_builder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool seal = (data[0] & 1) != 0;
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if (seal && bytes.size() >= krv::afm::kHeaderSize) {
        // Zero data up to the stated length lets small inputs stand for whole files; a length
        // past the one just too long is refused without padding (most random lengths are).
        const std::size_t stated = krv::afm::readU32(bytes, krv::afm::kDataLengthOffset);
        if (stated <= krv::afm::kMaxDataLength + 1) {
            bytes.resize(std::max(bytes.size(), krv::afm::kHeaderSize + stated));
        }
        bytes = krv::sim::sealAfm(std::move(bytes));
    }
    krv::CFirmwareFile file;
    std::uint16_t version = 0;
    std::uint16_t target = 0;
    std::u16string identification;
    if (!file.load(bytes, version, identification, target)) {
        if (!file.image().empty() || file.blockCount() != 0) {
            std::abort();
        }
        return 0;
    }
    // One memcmp instead of a loop that the fuzzer would trace byte by byte.
    static const std::array<std::uint8_t, krv::afm::kImageSize> zeros{};
    const auto image = file.image();
    const auto tail = image.subspan(std::min<std::size_t>(file.imageLength(), image.size()));
    const bool zeroTail = std::memcmp(tail.data(), zeros.data(), tail.size()) == 0;
    if (image.size() != krv::afm::kImageSize || !zeroTail ||
        file.blockCount() * krv::afm::kBlockSize < file.imageLength() ||
        identification.size() > krv::afm::kIdentificationSize) {
        std::abort();
    }
    return 0;
}
