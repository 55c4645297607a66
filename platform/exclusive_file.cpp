#include "platform/exclusive_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {

ExclusiveFile::ExclusiveFile(const std::filesystem::path& path) {
    // Non-blocking open: a FIFO would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    // Only a holder of the lock refuses us; a file system without locks is read as it is.
    const bool heldElsewhere =
        regular && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!regular || heldElsewhere) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

bool ExclusiveFile::isOpen() const {
    return fd_ >= 0;
}

ExclusiveFile::~ExclusiveFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::optional<std::size_t> ExclusiveFile::read(std::span<std::uint8_t> buffer) {
    if (fd_ < 0) {
        return std::nullopt;
    }
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::read(fd_, buffer.data() + done, buffer.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace krv
