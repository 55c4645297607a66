#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace krv {

// A regular file opened for reading and held exclusively while it is read, so a firmware file
// cannot change under the reader. Anything that is not a regular file (directory, FIFO,
// device) is refused without blocking. A file another program holds (a lock, or on Windows
// an open for writing) is refused too.
class ExclusiveFile {
public:
    explicit ExclusiveFile(const std::filesystem::path& path);
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    bool isOpen() const;

    // Reads until `buffer` is full or the file ends; the count read, or nothing on an error.
    std::optional<std::size_t> read(std::span<std::uint8_t> buffer);

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace krv
