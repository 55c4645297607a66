#pragma once
// Small language files written by the tests themselves, in a private temporary folder.

#include "tests/support/temp_folder.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace krv::test {

// UTF-16LE bytes of the text, after a byte-order mark unless told otherwise.
std::string utf16File(std::u16string_view text, bool byteOrderMark = true);

void writeBytes(const std::filesystem::path& file, std::string_view bytes);
void writeLanguageFile(const std::filesystem::path& file, std::u16string_view text);

} // namespace krv::test
