#include "platform/text.h"

#include <cstdarg>
#include <cstdio>
#include <locale.h>
#include <vector>

namespace krv {

namespace {

// Qt applies the user's locale at start-up; program texts keep the C library's decimal point
// whatever it says ("2.5", never "2,5", which would read back as 2). The "C" locale holds on
// this thread while the guard lives.
#ifdef _WIN32
class CLocaleOnThisThread {
public:
    CLocaleOnThisThread()
        : previousMode_(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE)),
          previous_(setlocale(LC_NUMERIC, nullptr)) {
        setlocale(LC_NUMERIC, "C");
    }
    ~CLocaleOnThisThread() {
        setlocale(LC_NUMERIC, previous_.c_str());
        _configthreadlocale(previousMode_);
    }

private:
    int previousMode_;
    std::string previous_;
};
#else
class CLocaleOnThisThread {
public:
    CLocaleOnThisThread() : previous_(uselocale(cLocale())) {}
    ~CLocaleOnThisThread() { uselocale(previous_); }

private:
    static locale_t cLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
        return c;
    }
    locale_t previous_;
};
#endif

} // namespace

std::u16string toU16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0xFFFD;
        size_t length = 1;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead >> 5) == 0x6) {
            length = 2, cp = lead & 0x1F;
        } else if ((lead >> 4) == 0xE) {
            length = 3, cp = lead & 0x0F;
        } else if ((lead >> 3) == 0x1E) {
            length = 4, cp = lead & 0x07;
        }
        if (length > 1) {
            if (i + length > utf8.size()) {
                cp = 0xFFFD, length = 1;
            } else {
                for (size_t k = 1; k < length; ++k) {
                    const auto next = static_cast<unsigned char>(utf8[i + k]);
                    if ((next >> 6) != 0x2) {
                        cp = 0xFFFD, length = k;
                        break;
                    }
                    cp = (cp << 6) | (next & 0x3F);
                }
            }
        }
        i += length;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(cp > 0x10FFFF ? u'\uFFFD' : static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string formatText(const char* format, ...) {
    const CLocaleOnThisThread cLocale;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> buffer(length > 0 ? static_cast<size_t>(length) + 1 : 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return toU16(std::string_view(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0));
}

std::u16string fillIn(std::u16string_view text, std::initializer_list<std::u16string_view> values) {
    std::u16string out;
    const auto* next = values.begin();
    size_t start = 0;
    for (size_t at = text.find(u"%s"); at != std::u16string_view::npos && next != values.end();
         at = text.find(u"%s", start)) {
        out.append(text.substr(start, at - start)).append(*next++);
        start = at + 2;
    }
    return out.append(text.substr(start));
}

} // namespace krv
