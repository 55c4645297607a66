#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace krv {

// A regular file opened for reading and held exclusively while it is read, so a firmware file
// cannot change under the reader. Anything that is not a regular file (directory, FIFO,
// device) is refused without blocking.
class ExclusiveFile {
public:
    explicit ExclusiveFile(const std::filesystem::path& path);
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Reads until `buffer` is full or the file ends; the count read, or nothing on an error.
    std::optional<std::size_t> read(std::span<std::uint8_t> buffer);

private:
    int fd_ = -1;
};

} // namespace krv
