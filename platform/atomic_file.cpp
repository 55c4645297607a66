#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {
namespace {

bool writeAll(int fd, std::string_view text) {
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

// Six letters or digits, as mkstemp would put in place of XXXXXX.
std::string randomSuffix(std::random_device& entropy) {
    constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(6, ' ');
    for (char& letter : suffix) {
        letter = kLetters[entropy() % kLetters.size()];
    }
    return suffix;
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

AtomicFileWrite::AtomicFileWrite(const std::string& named, unsigned newFileMode) {
    // Renaming onto the name itself would put a regular file in place of a link, a device
    // node or a FIFO: a link is written through, anything else but a regular file refused.
    const std::optional<std::string> target = finalTarget(named);
    if (!target) {
        failed(errno);
        return;
    }
    target_ = *target;
    struct stat existing {};
    const bool replacing = stat(target_.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) {
        failed(S_ISDIR(existing.st_mode) ? EISDIR : ENOTSUP);
        return;
    }
    // Opened with the mode a new file of the user's would get; a replaced file's own mode is
    // put back below, as the umask may have narrowed it.
    std::random_device entropy;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = target_ + "." + randomSuffix(entropy);
        fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                   static_cast<mode_t>(newFileMode));
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        failed(errno);
        return;
    }
    if (replacing && fchmod(fd_, existing.st_mode & 07777) != 0) {
        failed(errno);
    }
}

AtomicFileWrite::~AtomicFileWrite() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!committed_ && !temporary_.empty()) {
        unlink(temporary_.c_str());
    }
}

bool AtomicFileWrite::failed(int error) {
    if (error_ == 0) {
        error_ = error;
    }
    if (fd_ >= 0) {
        ::close(fd_);
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
    return writeAll(fd_, text) || failed(errno);
}

bool AtomicFileWrite::sync() {
    if (fd_ < 0) {
        errno = error_;
        return false;
    }
    return fsync(fd_) == 0 || failed(errno);
}

bool AtomicFileWrite::commit() {
    if (!sync()) {
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || rename(temporary_.c_str(), target_.c_str()) != 0) {
        return failed(errno);
    }
    committed_ = true;
    // The rename itself must reach the disk too, or a crash could bring the old file back.
    const int directoryFd = open(directoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        fsync(directoryFd);
        ::close(directoryFd);
    }
    return true;
}

bool replaceFileAtomically(const std::string& path, const std::string& content,
                           unsigned newFileMode) {
    AtomicFileWrite file(path, newFileMode);
    return file.write(content) && file.commit();
}

} // namespace krv
