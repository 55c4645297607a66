#include "platform/settings_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace krv {

namespace {

constexpr const char* kFolder = "/Morvelcast";
constexpr const char* kFileName = "/settings.ini";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// mkdir -p; the folders are private to the user, as the XDG base directories are.
bool makeDirectories(const std::string& directory) {
    if (directory.empty()) {
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
    return stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool readAll(int fd, std::string& text) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
}

// The file's lines: none when there is no file, nothing at all when there is one that cannot
// be read (which must then not be replaced by a file of the one line being written).
std::optional<std::vector<std::string>> readLines(const std::string& path) {
    // Non-blocking, so a FIFO in its place cannot hang the tool; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? std::optional(std::vector<std::string>()) : std::nullopt;
    }
    struct stat info {};
    std::string text;
    const bool read = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && readAll(fd, text);
    ::close(fd);
    if (!read) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool startsWithName(std::string_view line, std::string_view name) {
    return line.size() > name.size() && line.substr(0, name.size()) == name &&
           line[name.size()] == '=';
}

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

bool replaceAtomically(const std::string& path, const std::string& content) {
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
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
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

bool isSingleLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

} // namespace

std::string CSettingsFile::defaultPath() {
    std::string base = environment("XDG_CONFIG_HOME");
    // Relative XDG paths are to be ignored, as the base-directory rules say.
    if (base.empty() || base.front() != '/') {
        const std::string home = environment("HOME");
        if (home.empty()) {
            return {};
        }
        base = home + "/.config";
    }
    return base + kFolder + kFileName;
}

CSettingsFile::CSettingsFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> CSettingsFile::read(std::string_view name) const {
    const auto lines = path_.empty() ? std::nullopt : readLines(path_);
    if (!lines) {
        return std::nullopt;
    }
    for (const std::string& line : *lines) {
        if (startsWithName(line, name)) {
            return line.substr(name.size() + 1);
        }
    }
    return std::nullopt;
}

bool CSettingsFile::write(std::string_view name, std::string_view value) const {
    if (path_.empty() || name.empty() || name.find('=') != std::string_view::npos ||
        !isSingleLine(name) || !isSingleLine(value)) {
        return false;
    }
    const auto lines = readLines(path_);
    if (!lines) {
        return false;
    }
    const std::string entry = std::string(name) + "=" + std::string(value);
    std::string content;
    bool replaced = false;
    for (const std::string& line : *lines) {
        const bool isEntry = startsWithName(line, name);
        if (isEntry && replaced) {
            continue; // later duplicates (hand edits) go, so one entry remains
        }
        content += isEntry ? entry : line;
        content += '\n';
        replaced = replaced || isEntry;
    }
    if (!replaced) {
        content += entry + '\n';
    }
    return replaceAtomically(path_, content);
}

int parseLeadingInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value < INT_MIN ? INT_MIN : value);
}

} // namespace krv
