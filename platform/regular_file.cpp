#include "platform/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {

namespace {

RegularFileRead readOpened(int fd, std::size_t maxBytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return {{}, FileReadFault::cannotOpen, errno};
    }
    if (!S_ISREG(info.st_mode)) {
        return {{}, FileReadFault::notRegular};
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return {{}, FileReadFault::tooLarge};
    }
    // One byte more than the size said is asked for, so a file that grew after fstat is still
    // held to the limit.
    RegularFileRead read;
    read.bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t length = 0;
    for (;;) {
        if (length == read.bytes.size()) {
            if (length > maxBytes) {
                return {{}, FileReadFault::tooLarge};
            }
            read.bytes.resize(std::min(maxBytes + 1, length * 2));
        }
        const ssize_t n = ::read(fd, read.bytes.data() + length, read.bytes.size() - length);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return {{}, FileReadFault::cannotOpen, errno};
        }
        if (n == 0) {
            break;
        }
        length += static_cast<std::size_t>(n);
    }
    read.bytes.resize(length);
    return read;
}

} // namespace

RegularFileRead readRegularFile(const std::string& path, std::size_t maxBytes) {
    // O_NONBLOCK: a FIFO in the file's place must not hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return {{}, FileReadFault::cannotOpen, errno};
    }
    RegularFileRead read = readOpened(fd, maxBytes);
    ::close(fd);
    return read;
}

} // namespace krv
