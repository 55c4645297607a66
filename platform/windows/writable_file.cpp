#include "platform/writable_file.h"

#include "platform/windows/system.h"

#include <cerrno>

namespace krv {

WritableFile prepareWritableFile(const std::string& path) {
    using State = WritableFile::State;
    const std::wstring wide = windows::widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return {State::no, EISDIR};
        }
        return (attributes & FILE_ATTRIBUTE_READONLY) == 0 ? WritableFile{State::existing}
                                                           : WritableFile{State::no, EACCES};
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // The system's own reason (a file that appeared meanwhile, a name Windows refuses), never
        // 0: the caller takes 0 for a file it may write.
        const int error = windows::lastErrno();
        return {State::no, error != 0 ? error : EACCES};
    }
    CloseHandle(file);
    return {State::created};
}

} // namespace krv
