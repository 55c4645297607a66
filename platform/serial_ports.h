#pragma once
// The port table: port number n (1-based) names entry n. Entries come from KRV_PORTS (a
// ':'-separated list of device paths) when it is set, otherwise from the serial devices in
// /sys/class/tty that have hardware behind them, in natural name order (ttyS2 before ttyS10).
// Nothing is opened to build the table.

#include <string>
#include <vector>

namespace krv {

std::vector<std::string> serialPortTable();
size_t serialPortCount();
// Path of port n, or "" when the table has no entry n.
std::string serialPortPath(int n);
// Entry n exists and names a character device (stat only).
bool serialPortPresent(int n);
// The path names a character device (stat only).
bool serialDevicePresent(const std::string& path);
// Both name the same file (also through a link), or are the same text.
bool sameFile(const std::string& a, const std::string& b);

} // namespace krv
