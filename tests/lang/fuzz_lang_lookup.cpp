// Arbitrary bytes as a language file: reading them and looking up must neither crash, hang nor
// read out of bounds. The bytes go to the same reader a file's bytes go to, from memory.

#include "lang/lang_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const krv::LanguageLines lines(std::string_view(reinterpret_cast<const char*>(data), size));
    // A key taken from the input itself, so matching lines are reachable.
    std::u16string key;
    for (std::size_t i = 2; i + 1 < size && key.size() < 16; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == u'\t' || unit == u'\n') {
            break;
        }
        key.push_back(unit);
    }
    for (std::u16string_view wanted : {std::u16string_view(key), std::u16string_view(u"Zamknij")}) {
        lines.find(wanted);
    }
    return 0;
}
