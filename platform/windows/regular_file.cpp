#include "platform/regular_file.h"

#include "platform/windows/system.h"

#include <algorithm>

namespace krv {

RegularFileRead readRegularFile(const std::string& path, std::size_t maxBytes) {
    const std::wstring wide = windows::widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {{}, FileReadFault::notRegular};
    }
    windows::Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return {{}, FileReadFault::cannotOpen, windows::lastErrno()};
    }
    // A device (CON, a COM port, a pipe) would block or never end.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        return {{}, FileReadFault::notRegular};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return {{}, FileReadFault::cannotOpen, windows::lastErrno()};
    }
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        return {{}, FileReadFault::tooLarge};
    }
    // One byte more than the size said is asked for, so a file that grew since is still held
    // to the limit.
    RegularFileRead read;
    read.bytes.resize(static_cast<std::size_t>(size.QuadPart) + 1);
    std::size_t length = 0;
    for (;;) {
        if (length == read.bytes.size()) {
            if (length > maxBytes) {
                return {{}, FileReadFault::tooLarge};
            }
            read.bytes.resize(std::min(maxBytes + 1, length * 2));
        }
        DWORD got = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(read.bytes.size() - length, 1 << 20));
        if (!ReadFile(file.get(), read.bytes.data() + length, chunk, &got, nullptr)) {
            return {{}, FileReadFault::cannotOpen, windows::lastErrno()};
        }
        if (got == 0) {
            break;
        }
        length += got;
    }
    read.bytes.resize(length);
    return read;
}

} // namespace krv
