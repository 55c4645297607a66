#include "platform/exclusive_file.h"

#include "platform/windows/system.h"

namespace krv {

ExclusiveFile::ExclusiveFile(const std::filesystem::path& path) {
    // Others may read beside us but not write: a program writing the file refuses the open.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return;
    }
    handle_ = handle;
}

ExclusiveFile::~ExclusiveFile() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

bool ExclusiveFile::isOpen() const {
    return handle_ != nullptr;
}

std::optional<std::size_t> ExclusiveFile::read(std::span<std::uint8_t> buffer) {
    if (handle_ == nullptr) {
        return std::nullopt;
    }
    std::size_t done = 0;
    while (done < buffer.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, 1 << 20));
        DWORD got = 0;
        if (!ReadFile(handle_, buffer.data() + done, chunk, &got, nullptr)) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

} // namespace krv
