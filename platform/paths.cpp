#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
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

std::string xdgBaseDirectory(const char* variable, const char* homeFallback) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') {
        return value;
    }
    const char* home = std::getenv("HOME");
    return home && home[0] != '\0' ? std::string(home) + '/' + homeFallback : std::string();
}

std::string firstExistingDirectory(std::initializer_list<std::string> candidates) {
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (!candidate.empty() && std::filesystem::is_directory(candidate, error)) {
            return candidate;
        }
    }
    return candidates.size() ? *candidates.begin() : std::string();
}

int currentProcessId() {
    return static_cast<int>(::getpid());
}

} // namespace krv
