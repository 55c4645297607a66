#include "tests/lang/lang_fixture.h"

#include <fstream>
#include <stdexcept>

namespace krv::test {

std::string utf16File(std::u16string_view text, bool byteOrderMark) {
    std::string bytes;
    if (byteOrderMark) {
        bytes += "\xFF\xFE";
    }
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void writeLanguageFile(const std::filesystem::path& file, std::u16string_view text) {
    writeBytes(file, utf16File(text));
}

} // namespace krv::test
