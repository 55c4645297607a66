#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace krv {

std::string executableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    const std::string full(path, static_cast<size_t>(length));
    const auto slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

std::string xdgBaseDirectory(const char* variable, const char* homeRelative) {
    const char* base = std::getenv(variable);
    if (base != nullptr && base[0] == '/') {
        return base;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    return std::string(home) + "/" + homeRelative;
}

} // namespace krv
