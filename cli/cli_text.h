#pragma once
// Texts of the command line: translated like the window's, then each %s filled in (after
// translation, so a language file cannot smuggle in a format directive), as UTF-8.

#include <initializer_list>
#include <string>
#include <string_view>

namespace krv::cli {

std::string say(std::u16string_view text, std::initializer_list<std::string_view> values = {});

} // namespace krv::cli
