#pragma once
// Program text is UTF-16 (std::u16string); these convert at the edges (files, Qt, logs).

#include <string>
#include <string_view>

namespace krv {

std::u16string toU16(std::string_view utf8);
std::string toUtf8(std::u16string_view text);

// printf-style formatting into UTF-16 ("%.2f", "%u", "%d" give the C library's digits).
std::u16string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace krv
