// Arbitrary bytes as a language file: look-ups must neither crash, hang nor read out of bounds.
// The bytes are scanned from memory, by the same scan a file look-up runs, to keep the
// fuzzer fast; the first two bytes stand for the skipped byte-order mark.

#include "lang/lang_file.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
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
        std::istringstream file(bytes);
        file.seekg(std::min<std::size_t>(size, 2));
        krv::findInLanguageLines(file, wanted);
    }
    return 0;
}
