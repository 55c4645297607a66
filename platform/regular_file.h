#pragma once
// Reading a whole file that the user named: only a regular file, and only up to a size the
// caller can hold, decided before a byte is read (a FIFO or a device would block or never end,
// a sparse file could claim gigabytes it never stored).

#include <cstddef>
#include <string>
#include <string_view>

namespace krv {

enum class FileReadFault { none, cannotOpen, notRegular, tooLarge };

struct RegularFileRead {
    std::string bytes;
    FileReadFault fault = FileReadFault::none;
    int error = 0; // errno of a file that could not be opened or read
};

RegularFileRead readRegularFile(const std::string& path, std::size_t maxBytes);

// What each fault is called by a reader of one kind of file.
struct FileFaultTexts {
    std::u16string_view cannotOpen;
    std::u16string_view notRegular;
    std::u16string_view tooLarge;
};
std::u16string_view faultText(FileReadFault fault, const FileFaultTexts& texts);

} // namespace krv
