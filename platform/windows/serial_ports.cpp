#include "platform/serial_ports.h"

#include "platform/windows/system.h"

#include <cwctype>

namespace krv {
namespace {

// Port n is COMn; the system names no more.
constexpr int kPortCount = 256;

std::wstring folded(std::wstring name) {
    for (wchar_t& c : name) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return name;
}

} // namespace

std::vector<std::string> serialPortTable() {
    std::vector<std::string> table;
    table.reserve(kPortCount);
    for (int n = 1; n <= kPortCount; ++n) {
        table.push_back("COM" + std::to_string(n));
    }
    return table;
}

size_t serialPortCount() {
    return kPortCount;
}

std::string serialPortPath(int n) {
    return n >= 1 && n <= kPortCount ? "COM" + std::to_string(n) : std::string();
}

bool serialPortPresent(int n) {
    return serialDevicePresent(serialPortPath(n));
}

// A port is there when the system can tell its default configuration; nothing is opened.
bool serialDevicePresent(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    COMMCONFIG config{};
    DWORD size = sizeof config;
    return GetDefaultCommConfigW(windows::comPortName(path).c_str(), &config, &size) != 0;
}

bool sameFile(const std::string& a, const std::string& b) {
    return a == b || folded(windows::comPortName(a)) == folded(windows::comPortName(b));
}

} // namespace krv
