#include "platform/atomic_file.h"

#include "platform/paths.h"
#include "platform/windows/system.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <io.h>
#include <optional>

namespace krv {
namespace {

using windows::Handle;
using windows::widen;

bool writeAll(HANDLE file, std::string_view text) {
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

// The file a path stands for: a symbolic link's target (replacing the link would turn it
// into a file), or the path itself. A folder is refused with EISDIR; a device (NUL, CON, a
// COM port, a pipe) with ENOTSUP, as a file cannot take its place.
std::optional<std::string> finalTarget(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        errno = EISDIR;
        return std::nullopt;
    }
    Handle existing(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing.valid()) {
        return path; // a new file, or one the steps below are refused with their own reason
    }
    if (GetFileType(existing.get()) != FILE_TYPE_DISK) {
        errno = ENOTSUP;
        return std::nullopt;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    std::wstring target(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(
            existing.get(), target.data(), static_cast<DWORD>(target.size()), VOLUME_NAME_DOS);
        if (length == 0) {
            windows::lastErrno();
            return std::nullopt;
        }
        if (length < target.size()) {
            target.resize(length);
            return windows::narrow(target);
        }
        target.resize(length);
    }
}

// The handle lives in a C runtime descriptor, so the class keeps one shape on both systems.
HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
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

AtomicFileWrite::AtomicFileWrite(const std::string& named, unsigned /*newFileMode*/) {
    // Permission bits have no counterpart here: the new file takes the rights its folder
    // passes on, as any file the user makes there.
    const std::optional<std::string> target = finalTarget(named);
    if (!target) {
        failed(errno);
        return;
    }
    target_ = *target;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = temporaryName(target_);
        HANDLE file = CreateFileW(widen(temporary_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
            if (fd_ < 0) {
                CloseHandle(file);
                DeleteFileW(widen(temporary_).c_str());
                temporary_.clear();
                failed(EMFILE);
            }
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    temporary_.clear();
    failed(windows::lastErrno());
}

AtomicFileWrite::~AtomicFileWrite() {
    if (fd_ >= 0) {
        _close(fd_);
    }
    if (!committed_ && !temporary_.empty()) {
        DeleteFileW(widen(temporary_).c_str());
    }
}

bool AtomicFileWrite::failed(int error) {
    if (error_ == 0) {
        error_ = error;
    }
    if (fd_ >= 0) {
        _close(fd_);
        fd_ = -1;
    }
    errno = error_;
    return false;
}

bool AtomicFileWrite::write(std::string_view text) {
    if (fd_ < 0) {
        errno = error_;
        return false;
    }
    return writeAll(handleOf(fd_), text) || failed(windows::lastErrno());
}

bool AtomicFileWrite::sync() {
    if (fd_ < 0) {
        errno = error_;
        return false;
    }
    return FlushFileBuffers(handleOf(fd_)) || failed(windows::lastErrno());
}

bool AtomicFileWrite::commit() {
    if (!sync()) {
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    _close(fd);
    // Write-through: the move is on the disk when it returns, so a crash brings back the old
    // file or the new one, never a torn one and never the old one after the new.
    if (!MoveFileExW(widen(temporary_).c_str(), widen(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return failed(windows::lastErrno());
    }
    committed_ = true;
    return true;
}

bool replaceFileAtomically(const std::string& path, const std::string& content,
                           unsigned newFileMode) {
    AtomicFileWrite file(path, newFileMode);
    return file.write(content) && file.commit();
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
