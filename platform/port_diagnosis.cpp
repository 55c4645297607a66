#include "platform/port_diagnosis.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {
namespace {

std::string groupName(gid_t gid) {
    group entry{};
    group* found = nullptr;
    std::string buffer(4096, '\0');
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return found->gr_name;
    }
    return std::to_string(gid);
}

std::string commandName(const std::string& pidText) {
    std::ifstream file("/proc/" + pidText + "/comm");
    std::string name;
    std::getline(file, name);
    return name;
}

bool holdsDevice(const std::string& pidText, dev_t device) {
    const std::string fdFolder = "/proc/" + pidText + "/fd";
    DIR* folder = ::opendir(fdFolder.c_str());
    if (!folder) {
        return false; // gone, or another user's process
    }
    bool holds = false;
    while (const dirent* entry = ::readdir(folder)) {
        struct stat target {};
        if (entry->d_name[0] != '.' &&
            ::stat((fdFolder + '/' + entry->d_name).c_str(), &target) == 0 &&
            S_ISCHR(target.st_mode) && target.st_rdev == device) {
            holds = true;
            break;
        }
    }
    ::closedir(folder);
    return holds;
}

// Compared by device number, so a link to the device (KRV_PORTS entries often are) still finds
// the holders of the device itself.
std::vector<PortHolder> holdersOf(dev_t device) {
    std::vector<PortHolder> holders;
    DIR* proc = ::opendir("/proc");
    if (!proc) {
        return holders;
    }
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(proc)) {
        const std::string pidText = entry->d_name;
        if (pidText.find_first_not_of("0123456789") != std::string::npos || pidText == self) {
            continue;
        }
        if (holdsDevice(pidText, device)) {
            holders.push_back({std::stoi(pidText), commandName(pidText)});
        }
    }
    ::closedir(proc);
    return holders;
}

PortDiagnosis busy(int error, dev_t device) {
    return {PortStatus::Busy, error, {}, holdersOf(device)};
}

} // namespace

PortDiagnosis diagnoseOpenError(const std::string& path, int error) {
    struct stat info {};
    const bool known = ::stat(path.c_str(), &info) == 0;
    switch (error) {
    case 0:
        return {};
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return {PortStatus::Missing, error, {}, {}};
    case EACCES:
    case EPERM:
        return {
            PortStatus::NoPermission, error, known ? groupName(info.st_gid) : std::string(), {}};
    case EBUSY:
    case EWOULDBLOCK:
        return busy(error, known ? info.st_rdev : 0);
    case ENOTTY:
    case EISDIR:
        return {PortStatus::NotTerminal, error, {}, {}};
    default:
        return {PortStatus::OtherError, error, {}, {}};
    }
}

PortDiagnosis diagnosePort(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return diagnoseOpenError(path, errno);
    }
    if (!S_ISCHR(info.st_mode)) {
        return {PortStatus::NotTerminal, 0, {}, {}};
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return diagnoseOpenError(path, errno);
    }
    int error = 0;
    if (!::isatty(fd)) {
        error = ENOTTY;
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
    }
    ::close(fd);
    return diagnoseOpenError(path, error);
}

} // namespace krv
