#include "cli/cli_text.h"

#include "lang/translate.h"
#include "platform/text.h"

#include <vector>

namespace krv::cli {

std::string say(std::u16string_view text, std::initializer_list<std::string_view> values) {
    const std::string translated = toUtf8(translate(text));
    const std::vector<std::string_view> fill(values);
    std::string result;
    for (size_t i = 0; i < translated.size(); ++i) {
        const char next = i + 1 < translated.size() ? translated[i + 1] : '\0';
        if (translated[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<size_t>(next - '1') < fill.size()) {
            result += fill[next - '1'];
            ++i;
        } else {
            result += translated[i];
        }
    }
    return result;
}

} // namespace krv::cli
