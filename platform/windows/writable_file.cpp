#include "platform/writable_file.h"

#include "platform/windows/system.h"

namespace krv {

WritableFile prepareWritableFile(const std::string& path) {
    const std::wstring wide = windows::widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0
                   ? WritableFile::existing
                   : WritableFile::no;
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return WritableFile::no;
    }
    CloseHandle(file);
    return WritableFile::created;
}

} // namespace krv
