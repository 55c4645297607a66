#include "platform/paths.h"

#include "platform/windows/system.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace krv {
namespace {

// Windows takes '/' as well as '\'; one separator keeps the callers' joins uniform.
std::string forwardSlashes(std::string path) {
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    return path;
}

bool isAbsolute(std::string_view path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
    return drive || path.starts_with("//") || path.starts_with("\\\\");
}

std::string environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr ? windows::narrow(value) : std::string();
}

// Where Windows keeps what the XDG folders hold: settings roam with the user (%APPDATA%), data
// that must stay on the local disk (map backups, the register's database) does not.
const wchar_t* knownFolderFor(std::string_view variable) {
    return variable == "XDG_CONFIG_HOME" ? L"APPDATA" : L"LOCALAPPDATA";
}

} // namespace

std::string executableDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string full = forwardSlashes(windows::narrow(path));
    const auto slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

std::string xdgBaseDirectory(const char* variable, const char*) {
    const char* value = std::getenv(variable);
    if (value != nullptr && isAbsolute(value)) {
        return forwardSlashes(value);
    }
    return forwardSlashes(environment(knownFolderFor(variable)));
}

std::string firstExistingDirectory(std::initializer_list<std::string> candidates) {
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (!candidate.empty() && std::filesystem::is_directory(
                                      std::filesystem::path(windows::widen(candidate)), error)) {
            return candidate;
        }
    }
    return candidates.size() ? *candidates.begin() : std::string();
}

int currentProcessId() {
    return static_cast<int>(GetCurrentProcessId());
}

} // namespace krv
