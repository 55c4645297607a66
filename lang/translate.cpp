#include "lang/translate.h"

namespace krv {

std::u16string translate(std::u16string_view text) {
    return std::u16string(text);
}

} // namespace krv
