// Time from process start to the first shown window with no serial port present: krv's
// start-up (thread manager, language files, the port search over an empty port table) up to
// the no-connection dialog, and on to the main window once that is answered; then with three
// silent ports in the table, process start to the main window, which must not wait for the
// search (goal under 0.5 s). Runs the probe (krv's own start-up with a show watcher)
// repeatedly on the offscreen platform.

#include "bench/support/silent_ports.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kRuns = 15;

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Milliseconds from spawning the probe to each window's first showing, by window class.
std::map<std::string, double> oneRun() {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char* argv[] = {const_cast<char*>(KRV_STARTUP_PROBE), nullptr};
    const long long started = monotonicNanoseconds();
    pid_t child = 0;
    if (posix_spawn(&child, KRV_STARTUP_PROBE, &actions, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);

    std::string output;
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);

    std::map<std::string, double> shown;
    char name[128];
    long long at = 0;
    for (size_t line = 0; line < output.size();) {
        const size_t end = output.find('\n', line);
        if (std::sscanf(output.c_str() + line, "shown %127s %lld", name, &at) == 2) {
            shown.emplace(name, static_cast<double>(at - started) / 1e6);
        }
        line = end == std::string::npos ? output.size() : end + 1;
    }
    return shown;
}

void report(const char* what, std::vector<double> times) {
    if (times.empty()) {
        std::printf("%-52s never shown\n", what);
        return;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %7.1f ms   min %7.1f   max %7.1f   (%zu runs)\n", what,
                times[times.size() / 2], times.front(), times.back(), times.size());
}

std::vector<double> mainWindowTimes() {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto shown = oneRun();
        if (const auto found = shown.find("krv::CKorrinDlg"); found != shown.end()) {
            times.push_back(found->second);
        }
    }
    return times;
}

} // namespace

int main() {
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("krv-startup-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(config);
    std::filesystem::permissions(config, std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", config.c_str(), 1);
    setenv("KRV_PORTS", "", 1); // no serial port present
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::vector<double> noConnection;
    std::vector<double> mainWindow;
    for (int run = 0; run < kRuns; ++run) {
        const auto shown = oneRun();
        if (const auto found = shown.find("krv::CNoConnectionDlg"); found != shown.end()) {
            noConnection.push_back(found->second);
        }
        if (const auto found = shown.find("krv::CKorrinDlg"); found != shown.end()) {
            mainWindow.push_back(found->second);
        }
    }
    std::vector<int> masters;
    setenv("KRV_PORTS", krv::bench::silentPorts(3, masters).c_str(), 1);
    const std::vector<double> silentSearch = mainWindowTimes();
    for (int master : masters) {
        close(master);
    }
    std::filesystem::remove_all(config);
    report("process start -> main window, no port", mainWindow);
    report("process start -> no-connection dialog, no port", noConnection);
    report("process start -> main window, three silent ports (goal < 500)", silentSearch);
    return noConnection.size() == kRuns && mainWindow.size() == kRuns &&
                   silentSearch.size() == kRuns
               ? 0
               : 1;
}
