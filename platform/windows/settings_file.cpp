#include "platform/settings_file.h"

#include "platform/windows/system.h"

#include <array>

namespace krv {
namespace {

// The key under HKEY_CURRENT_USER that the tool's values live in.
constexpr const char* kKey = "Software\\Morvelcast";

bool isSingleLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

} // namespace

// On Windows the "file" is a registry key under HKEY_CURRENT_USER, each name a value of it.
std::string CSettingsFile::defaultPath() {
    return kKey;
}

CSettingsFile::CSettingsFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> CSettingsFile::read(std::string_view name) const {
    HKEY key = nullptr;
    if (path_.empty() || RegOpenKeyExW(HKEY_CURRENT_USER, windows::widen(path_).c_str(), 0,
                                       KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // A buffer one byte larger than announced and zero-filled: a value stored without its
    // terminating NUL still reads as a terminated text. Its type is not looked at.
    std::array<BYTE, 257> buffer{};
    DWORD size = 256;
    const LSTATUS status =
        RegQueryValueExW(key, windows::widen(name).c_str(), nullptr, nullptr, buffer.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size == 0) {
        return std::nullopt;
    }
    std::wstring text;
    for (size_t i = 0; i + 1 < buffer.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(buffer[i] | (buffer[i + 1] << 8));
        if (c == L'\0') {
            break;
        }
        text.push_back(c);
    }
    return windows::narrow(text);
}

bool CSettingsFile::write(std::string_view name, std::string_view value) const {
    if (path_.empty() || name.empty() || name.find('=') != std::string_view::npos ||
        !isSingleLine(name) || !isSingleLine(value)) {
        return false;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, windows::widen(path_).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // REG_SZ with its terminating NUL counted.
    const std::wstring text = windows::widen(value);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetValueExW(key, windows::widen(name).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace krv
