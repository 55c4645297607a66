// Arbitrary bytes as a language file: look-ups must neither crash, hang nor read out of bounds.

#include "lang/lang_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& scratchFile() {
    static const std::string path = [] {
        std::string pattern = "/tmp/krv-fuzz-lang-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            std::abort();
        }
        close(fd);
        std::atexit([] { unlink(scratchFile().c_str()); });
        return pattern;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    krv::CLangFile file;
    if (!file.open(scratchFile())) {
        return 0;
    }
    // A key taken from the input itself, so matching lines are reachable.
    std::u16string key;
    for (std::size_t i = 2; i + 1 < size && key.size() < 16; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == u'\t' || unit == u'\n') {
            break;
        }
        key.push_back(unit);
    }
    file.lookup(key);
    file.lookup(u"Zamknij");
    return 0;
}
