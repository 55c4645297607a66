#include "tests/firmware/afm_fixture.h"

#include "sim/afm/afm_builder.h"

#include <stdexcept>

namespace krv::test {

std::filesystem::path TempDir::write(const std::string& name,
                                     std::span<const std::uint8_t> bytes) const {
    const auto file = path() / name;
    if (!sim::writeFile(file, bytes)) {
        throw std::runtime_error("cannot write " + file.string());
    }
    return file;
}

LoadResult load(CFirmwareFile& file, const std::filesystem::path& path) {
    LoadResult result;
    result.ok = file.load(path, result.fileVersion, result.identification, result.targetCode);
    return result;
}

std::vector<std::uint8_t> patternImage(std::size_t length) {
    std::vector<std::uint8_t> image(length);
    for (std::size_t i = 0; i < length; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + i / 251 + 1);
    }
    return image;
}

} // namespace krv::test
