#pragma once
// The one road every built-in Polish text takes before it is shown.

#include <string>
#include <string_view>

namespace krv {

// The text to show for a built-in text in the language chosen at start-up. Falls back to the
// English file, then to the built-in text itself; with nothing set up it returns its argument.
std::u16string translate(std::u16string_view text);

} // namespace krv
