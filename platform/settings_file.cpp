#include "platform/settings_file.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"

#include <climits>
#include <fstream>
#include <vector>

namespace krv {

namespace {

constexpr const char* kFolder = "/Morvelcast";
constexpr const char* kFileName = "/settings.ini";

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
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
    if (path_.empty()) {
        return std::nullopt;
    }
    for (const std::string& line : readLines(path_)) {
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
    const std::string entry = std::string(name) + "=" + std::string(value);
    std::string content;
    bool replaced = false;
    for (const std::string& line : readLines(path_)) {
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
    return replaceFileAtomically(path_, content);
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
