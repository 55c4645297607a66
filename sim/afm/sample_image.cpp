#include "sim/afm/afm_builder.h"

namespace krv::sim {

std::vector<std::uint8_t> sampleImage() {
    constexpr std::size_t kSampleLength = 81920;
    std::vector<std::uint8_t> image(kSampleLength);
    for (std::size_t offset = 0; offset < image.size(); offset += 4) {
        // Four image bytes per 24-bit word, two address units per word; the fourth byte is
        // the unused phantom byte.
        const auto address = static_cast<std::uint32_t>(offset / 2);
        image[offset] = static_cast<std::uint8_t>(address);
        image[offset + 1] = static_cast<std::uint8_t>(address >> 8);
        image[offset + 2] = static_cast<std::uint8_t>(address >> 16);
    }
    return image;
}

} // namespace krv::sim
