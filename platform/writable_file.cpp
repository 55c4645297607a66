#include "platform/writable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {

WritableFile prepareWritableFile(const std::string& path) {
    using State = WritableFile::State;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return {State::no, EISDIR};
        }
        return ::access(path.c_str(), W_OK) == 0 ? WritableFile{State::existing}
                                                 : WritableFile{State::no, errno};
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return {State::no, errno};
    }
    ::close(fd);
    return {State::created};
}

} // namespace krv
