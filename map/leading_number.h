#pragma once
// The decimal number a text starts with, read the same way whatever the C locale says.

#include <string_view>

namespace krv {

// Skips leading white space, then reads [sign] digits [. digits] [exponent]. Gives 0 when the
// text does not start with a number, and for a number no double can hold.
double leadingNumber(std::u16string_view text);

} // namespace krv
