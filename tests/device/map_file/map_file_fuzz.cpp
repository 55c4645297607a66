// Any bytes as a map file: the reader never crashes, and whatever it accepts is written and
// read back to the same content.

#include "device/map_file/map_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const krv::MapFileRead read = krv::parseMapFile(text);
    if (!read.ok()) {
        if (read.error.empty() || read.errorLine <= 0) {
            std::abort(); // a refusal always names its line
        }
        return 0;
    }
    const std::string written = krv::formatMapFile(read.content->snapshot, read.content->info);
    const krv::MapFileRead again = krv::parseMapFile(written);
    if (!again.ok() || !(again.content->snapshot == read.content->snapshot) ||
        krv::formatMapFile(again.content->snapshot, again.content->info) != written) {
        std::abort();
    }
    return 0;
}
