#pragma once
// Program text is UTF-16 (std::u16string); these convert at the edges (files, Qt, logs).

#include <initializer_list>
#include <string>
#include <string_view>

namespace krv {

std::u16string toU16(std::string_view utf8);
std::string toUtf8(std::u16string_view text);

// printf-style formatting into UTF-16 ("%.2f", "%u", "%d" give the C library's digits).
std::u16string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Each "%s" of a (translated) text replaced by the next value, and nothing else interpreted:
// a language file can never make it read more values than given. Surplus "%s" stay as they are.
std::u16string fillIn(std::u16string_view text, std::initializer_list<std::u16string_view> values);

} // namespace krv
