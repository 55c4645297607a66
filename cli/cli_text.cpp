#include "cli/cli_text.h"

#include "lang/translate.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace krv::cli {

std::string oneLine(std::u16string_view text) {
    std::string line = toUtf8(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

std::string say(std::u16string_view text, std::initializer_list<std::string_view> values) {
    std::vector<std::u16string> wide;
    for (std::string_view value : values) {
        wide.push_back(toU16(value));
    }
    std::u16string filled = translate(text);
    // fillIn takes its values in one list; the caller's count is small and fixed.
    switch (wide.size()) {
    case 0:
        break;
    case 1:
        filled = fillIn(filled, {wide[0]});
        break;
    case 2:
        filled = fillIn(filled, {wide[0], wide[1]});
        break;
    default:
        filled = fillIn(filled, {wide[0], wide[1], wide[2]});
        break;
    }
    return toUtf8(filled);
}

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace krv::cli
