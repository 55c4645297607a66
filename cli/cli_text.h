#pragma once
// Texts of the command line: translated like the window's, then each %s filled in (after
// translation, so a language file cannot smuggle in a format directive), as UTF-8.

#include <initializer_list>
#include <string>
#include <string_view>

namespace krv::cli {

// A message of several lines (an error report is "operation\ntext") as one line of UTF-8.
std::string oneLine(std::u16string_view text);

std::string say(std::u16string_view text, std::initializer_list<std::string_view> values = {});

// A value with a fixed number of decimals, as the command line prints volts.
std::string fixed(double value, int decimals);

} // namespace krv::cli
