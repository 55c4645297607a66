// Arbitrary file contents through CFirmwareFile::load. Inputs whose first byte is odd are
// taken as plain bytes, padded to their stated data length and sealed with the checksum the
// reader expects, so the fuzzer also reaches the image building behind the checksum test.

#include "firmware/afm_format.h"
#include "firmware/firmware_file.h"
#include "sim/afm/afm_builder.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

int memoryFile() {
    static const int fd = ::memfd_create("fuzz.afm", MFD_CLOEXEC);
    if (fd < 0) {
        std::abort();
    }
    return fd;
}

void replaceContents(int fd, const std::vector<std::uint8_t>& bytes) {
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool seal = (data[0] & 1) != 0;
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if (seal && bytes.size() >= krv::afm::kHeaderSize) {
        // Zero data up to the stated length lets small inputs stand for whole files.
        const std::size_t stated = krv::afm::readU32(bytes, krv::afm::kDataLengthOffset);
        bytes.resize(std::max(bytes.size(),
                              krv::afm::kHeaderSize + std::min(stated, krv::afm::kImageSize + 1)));
        bytes = krv::sim::sealAfm(std::move(bytes));
    }
    const int fd = memoryFile();
    replaceContents(fd, bytes);

    krv::CFirmwareFile file;
    std::uint16_t version = 0;
    std::uint16_t target = 0;
    std::u16string identification;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (!file.load(path, version, identification, target)) {
        if (!file.image().empty() || file.blockCount() != 0) {
            std::abort();
        }
        return 0;
    }
    const auto image = file.image();
    const bool zeroTail = std::ranges::all_of(image.subspan(file.imageLength()),
                                              [](std::uint8_t byte) { return byte == 0; });
    if (image.size() != krv::afm::kImageSize || !zeroTail ||
        file.blockCount() * krv::afm::kBlockSize < file.imageLength() ||
        identification.size() > krv::afm::kIdentificationSize) {
        std::abort();
    }
    return 0;
}
