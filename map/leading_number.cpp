#include "map/leading_number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace krv {

namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

} // namespace

double leadingNumber(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    std::string number; // ASCII copy of the part that forms the number
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') {
            number.push_back('-');
        }
        ++i;
    }
    size_t digits = 0;
    const auto takeDigits = [&] {
        while (i < text.size() && isDigit(text[i])) {
            number.push_back(static_cast<char>(text[i++]));
            ++digits;
        }
    };
    takeDigits();
    if (i < text.size() && text[i] == u'.') {
        number.push_back('.');
        ++i;
        takeDigits();
    }
    if (digits == 0) {
        return 0.0;
    }
    // An exponent counts only when at least one digit follows its letter (and sign).
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            number.push_back('e');
            for (size_t k = i + 1; k < j; ++k) {
                number.push_back(static_cast<char>(text[k]));
            }
            i = j;
            digits = 0;
            takeDigits();
        }
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

} // namespace krv
