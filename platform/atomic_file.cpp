#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {
namespace {

bool writeAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

// The file a path stands for: symbolic links followed to the end (a link whose target is
// missing gives the missing target), relative targets taken from the link's own folder.
std::optional<std::string> finalTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            return std::nullopt;
        }
        target.resize(static_cast<size_t>(length));
        path = target.starts_with('/') ? target : directoryOf(path) + "/" + target;
    }
    errno = ELOOP;
    return std::nullopt;
}

} // namespace

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool addNameUnlessTaken(const std::string& existing, const std::string& name) {
    return ::link(existing.c_str(), name.c_str()) == 0;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool makeDirectories(const std::string& directory) {
    if (directory.empty()) {
        errno = ENOENT;
        return false;
    }
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string prefix = directory.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info {};
    if (stat(directory.c_str(), &info) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

bool replaceFileAtomically(const std::string& named, const std::string& content) {
    // Renaming onto the name itself would put a regular file in place of a link, a device
    // node or a FIFO: a link is written through, anything else but a regular file refused.
    const std::optional<std::string> target = finalTarget(named);
    if (!target) {
        return false;
    }
    const std::string& path = *target;
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        errno = S_ISDIR(existing.st_mode) ? EISDIR : ENOTSUP;
        return false;
    }
    const std::string directory = directoryOf(path);
    if (!makeDirectories(directory)) {
        return false;
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    const bool written = fchmod(fd, 0600) == 0 && writeAll(fd, content) && fsync(fd) == 0;
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = written && closed ? errno : writeErrno;
        unlink(temporary.c_str());
        errno = failure;
        return false;
    }
    // The rename itself must reach the disk too, or a crash could bring the old file back.
    const int directoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        fsync(directoryFd);
        ::close(directoryFd);
    }
    return true;
}

} // namespace krv
