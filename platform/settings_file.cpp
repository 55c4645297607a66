#include "platform/settings_file.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace krv {

namespace {

constexpr const char* kFolder = "/Morvelcast";
constexpr const char* kFileName = "/settings.ini";

// False past kMaxFileBytes too: a file that grew after fstat is refused as well.
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
        if (text.size() > CSettingsFile::kMaxFileBytes) {
            return false;
        }
    }
}

// The file's lines: none when there is no file, nothing at all when there is one that cannot
// be read or is larger than any settings file the tool writes (which must then not be
// replaced by a file of the one line being written).
std::optional<std::vector<std::string>> readLines(const std::string& path) {
    // Non-blocking, so a FIFO in its place cannot hang the tool; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? std::optional(std::vector<std::string>()) : std::nullopt;
    }
    struct stat info {};
    std::string text;
    const bool read = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                      static_cast<uint64_t>(info.st_size) <= CSettingsFile::kMaxFileBytes &&
                      readAll(fd, text);
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

bool isSingleLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

} // namespace

std::string CSettingsFile::defaultPath() {
    const std::string base = xdgBaseDirectory("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base + kFolder + kFileName;
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
    // The settings' own folder is made on first use, private as the XDG folders are.
    return makeDirectories(directoryOf(path_)) && replaceFileAtomically(path_, content, 0600);
}

} // namespace krv
