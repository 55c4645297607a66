#include "platform/code_page_1250.h"

#include "platform/windows/system.h"

namespace krv {

namespace {

// Windows gives these the C1 control characters of the same number; the code page defines
// no character for them.
bool undefined(unsigned char byte) {
    return byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98;
}

} // namespace

std::u16string fromCodePage1250(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    // One byte a character: a byte the code page leaves undefined costs only its own.
    for (const char byte : bytes) {
        wchar_t wide = 0;
        const bool converted =
            !undefined(static_cast<unsigned char>(byte)) &&
            MultiByteToWideChar(1250, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) == 1;
        text.push_back(converted ? static_cast<char16_t>(wide) : u'\uFFFD');
    }
    return text;
}

} // namespace krv
