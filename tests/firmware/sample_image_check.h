#pragma once
// Whether a firmware update reached the simulated controller whole: its program memory, from
// the application's first word, holds the sample image's programmed bytes (3 of every 4 past
// the image's 0x3000-byte lead) and nothing is left over.

#include "sim/afm/afm_builder.h"
#include "sim/controller/controller.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace krv::test {

inline bool programMemoryHoldsSampleImage(const sim::CController& controller) {
    const std::vector<uint8_t> image = sim::sampleImage();
    const sim::ControllerState state = controller.state();
    const std::vector<uint8_t>& memory = state.program.bytes();
    size_t at = sim::ProgramMemory::byteOffset(sim::ProgramMemory::kFirstAddress);
    for (size_t offset = 0x3000; offset + 3 <= image.size() && at + 3 <= memory.size();
         offset += 4, at += 3) {
        if (!std::equal(&image[offset], &image[offset + 3], &memory[at])) {
            return false;
        }
    }
    return at == memory.size();
}

} // namespace krv::test
