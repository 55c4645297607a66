#include "platform/atomic_file.h"

#include "platform/paths.h"
#include "platform/windows/system.h"

#include <atomic>
#include <cerrno>

namespace krv {
namespace {

using windows::Handle;
using windows::widen;

bool writeAll(HANDLE file, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - written, 1 << 20));
        DWORD put = 0;
        if (!WriteFile(file, text.data() + written, chunk, &put, nullptr) || put == 0) {
            return false;
        }
        written += put;
    }
    return true;
}

// A name beside `path` that no other writer in this or another process picks.
std::string temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".writing-" + std::to_string(currentProcessId()) + "-" +
           std::to_string(counter++);
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

} // namespace

std::string directoryOf(const std::string& path) {
    const auto separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
}

bool makeDirectories(const std::string& directory) {
    if (directory.empty()) {
        errno = ENOENT;
        return false;
    }
    // A drive ("C:") or a share's root cannot be made; the walk starts past it.
    size_t start = 1;
    if (directory.size() >= 2 && directory[1] == ':') {
        start = 3;
    } else if (directory.size() >= 2 && isSeparator(directory[0]) && isSeparator(directory[1])) {
        const size_t server = directory.find_first_of("/\\", 2);
        const size_t share = server == std::string::npos
                                 ? std::string::npos
                                 : directory.find_first_of("/\\", server + 1);
        start = share == std::string::npos ? directory.size() : share + 1;
    }
    for (size_t separator = directory.find_first_of("/\\", start);;
         separator = directory.find_first_of("/\\", separator + 1)) {
        const std::string prefix = directory.substr(0, separator);
        if (!CreateDirectoryW(widen(prefix).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_ACCESS_DENIED) {
            windows::lastErrno();
            return false;
        }
        if (separator == std::string::npos) {
            break;
        }
    }
    const DWORD attributes = GetFileAttributesW(widen(directory).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        windows::lastErrno();
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

bool replaceFileAtomically(const std::string& path, const std::string& content) {
    const DWORD existing = GetFileAttributesW(widen(path).c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        errno = EISDIR;
        return false;
    }
    if (!makeDirectories(directoryOf(path))) {
        return false;
    }
    const std::string temporary = temporaryName(path);
    const std::wstring wideTemporary = widen(temporary);
    Handle file(CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        windows::lastErrno();
        return false;
    }
    const bool written = writeAll(file.get(), content) && FlushFileBuffers(file.get());
    const int writeErrno = written ? 0 : windows::lastErrno();
    file.reset();
    // Write-through: the move is on the disk when it returns, so a crash brings back the old
    // file or the new one, never a torn one and never the old one after the new.
    if (!written || !MoveFileExW(wideTemporary.c_str(), widen(path).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const int failure = written ? windows::lastErrno() : writeErrno;
        DeleteFileW(wideTemporary.c_str());
        errno = failure;
        return false;
    }
    return true;
}

bool addNameUnlessTaken(const std::string& existing, const std::string& name) {
    if (CreateHardLinkW(widen(name).c_str(), widen(existing).c_str(), nullptr)) {
        return true;
    }
    windows::lastErrno();
    return false;
}

bool removeFile(const std::string& path) {
    if (DeleteFileW(widen(path).c_str())) {
        return true;
    }
    windows::lastErrno();
    return false;
}

} // namespace krv
