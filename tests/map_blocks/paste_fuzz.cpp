// Clipboard text is anybody's: a paste refuses it or changes only the cells it names, in range.

#include "map_blocks/block_text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const krv::Block block{data[0] % 16, data[1] % 15, data[0] % 16, data[1] % 15};
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    const krv::MapCells cells{};
    for (const auto operation : {krv::paste, krv::pasteAdd}) {
        const krv::PasteResult result = operation(cells, block, text);
        if (result.ok() != result.error.empty()) {
            std::abort();
        }
        if (!result.ok()) {
            continue;
        }
        for (int i = 0; i < krv::protocol::kMapCells; ++i) {
            const bool inside = result.pasted.contains(i / 15, i % 15);
            if (!inside && result.result->cells[static_cast<size_t>(i)] != 0) {
                std::abort();
            }
        }
    }
    return 0;
}
