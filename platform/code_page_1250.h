#pragma once

#include <string>
#include <string_view>

namespace krv {

// Text in the Windows-1250 code page (Polish and other Central European letters) as UTF-16.
// Bytes the code page leaves undefined become U+FFFD.
std::u16string fromCodePage1250(std::string_view bytes);

} // namespace krv
