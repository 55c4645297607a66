#include "platform/writable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {

WritableFile prepareWritableFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return !S_ISDIR(info.st_mode) && ::access(path.c_str(), W_OK) == 0 ? WritableFile::existing
                                                                           : WritableFile::no;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return WritableFile::no;
    }
    ::close(fd);
    return WritableFile::created;
}

} // namespace krv
