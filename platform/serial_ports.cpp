#include "platform/serial_ports.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace krv {
namespace {

std::vector<std::string> splitPortList(const std::string& list) {
    std::vector<std::string> paths;
    if (list.empty()) {
        return paths;
    }
    size_t start = 0;
    while (true) {
        const size_t end = list.find(':', start);
        paths.push_back(list.substr(start, end - start));
        if (end == std::string::npos) {
            return paths;
        }
        start = end + 1;
    }
}

// Legacy UART slots without a chip report type 0; everything else with a device link is real.
bool hasHardware(const std::filesystem::path& entry) {
    std::error_code error;
    if (!std::filesystem::exists(entry / "device", error)) {
        return false;
    }
    std::ifstream typeFile(entry / "type");
    int type = -1;
    return !(typeFile >> type) || type != 0;
}

// ttyS2 before ttyS10: digit runs compare by value.
bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t iEnd = i;
            size_t jEnd = j;
            while (iEnd < a.size() && std::isdigit(static_cast<unsigned char>(a[iEnd]))) {
                ++iEnd;
            }
            while (jEnd < b.size() && std::isdigit(static_cast<unsigned char>(b[jEnd]))) {
                ++jEnd;
            }
            std::string_view da(a.data() + i, iEnd - i);
            std::string_view db(b.data() + j, jEnd - j);
            while (da.size() > 1 && da.front() == '0') {
                da.remove_prefix(1);
            }
            while (db.size() > 1 && db.front() == '0') {
                db.remove_prefix(1);
            }
            if (da.size() != db.size()) {
                return da.size() < db.size();
            }
            if (da != db) {
                return da < db;
            }
            i = iEnd;
            j = jEnd;
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

std::vector<std::string> systemSerialPorts() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/tty", error)) {
        if (hasHardware(entry.path())) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end(), naturalLess);
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        paths.push_back("/dev/" + name);
    }
    return paths;
}

} // namespace

std::vector<std::string> serialPortTable() {
    const char* list = std::getenv("KRV_PORTS");
    return list != nullptr ? splitPortList(list) : systemSerialPorts();
}

size_t serialPortCount() {
    return serialPortTable().size();
}

std::string serialPortPath(int n) {
    const std::vector<std::string> table = serialPortTable();
    if (n < 1 || static_cast<size_t>(n) > table.size()) {
        return {};
    }
    return table[n - 1];
}

bool serialPortPresent(int n) {
    return serialDevicePresent(serialPortPath(n));
}

bool serialDevicePresent(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return a == b || (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
                      first.st_dev == second.st_dev && first.st_ino == second.st_ino);
}

} // namespace krv
