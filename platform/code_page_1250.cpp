#include "platform/code_page_1250.h"

#include <array>
#include <iconv.h>

namespace krv {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

class Converter {
public:
    Converter() : handle_(iconv_open("UTF-16LE", "CP1250")) {}
    ~Converter() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // The code page has one byte per character, so bytes convert one at a time and a bad
    // byte costs only its own character.
    char16_t convert(char byte) {
        std::array<char, 4> out{};
        char* in = &byte;
        std::size_t inLeft = 1;
        char* outNext = out.data();
        std::size_t outLeft = out.size();
        if (iconv(handle_, &in, &inLeft, &outNext, &outLeft) == static_cast<std::size_t>(-1) ||
            outLeft != 2) {
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
            return kReplacement;
        }
        return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                     (static_cast<unsigned char>(out[1]) << 8));
    }

private:
    iconv_t handle_;
};

} // namespace

std::u16string fromCodePage1250(std::string_view bytes) {
    Converter converter;
    std::u16string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            text.push_back(code);
        } else {
            text.push_back(converter.valid() ? converter.convert(byte) : kReplacement);
        }
    }
    return text;
}

} // namespace krv
