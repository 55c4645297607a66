// The polling thread against the simulated controller on a paced 38400-baud wire:
//  - achieved sample rate / the rate the pause allows (one sample per 50 ms plus the wire time
//    of one readings exchange); goal at least 0.95;
//  - the polling thread's CPU time per minute; goal under 1 % of a core (0.6 s per minute).
// Usage: bench_connection_polling [seconds]   (default 20; the CPU figure is scaled to a minute)

#include "bench/support/paced_controller.h"
#include "bench/support/quiet_window.h"
#include "connection/lpg_connection.h"
#include "connection/thread_manager.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <time.h>

namespace {

using namespace std::chrono_literals;

constexpr size_t kRequestPayload = 6; // readings request
constexpr size_t kReplyPayload = 18;  // readings reply
constexpr double kPauseSeconds = 0.050;

std::set<long> threadIds() {
    std::set<long> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        ids.insert(std::stol(entry.path().filename().string()));
    }
    return ids;
}

// CPU time of one thread of this process, through the kernel's per-thread CPU clock id.
double threadCpuSeconds(long tid) {
    const clockid_t clock = static_cast<clockid_t>((~static_cast<unsigned>(tid) << 3) | 6);
    timespec time{};
    if (::clock_gettime(clock, &time) != 0) {
        return -1;
    }
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char** argv) {
    using namespace krv;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
        return 2;
    }
    const bench::CTemporarySettingsFolder settings;
    bench::CPacedController paced;
    if (!paced.start()) {
        return 1;
    }

    bench::CQuietWindow window;
    CLPGThreadManager threads;
    CLPGConnection device(threads);
    device.connect(window);
    if (!device.connected) {
        std::fprintf(stderr, "the simulated controller did not answer\n");
        return 1;
    }

    const std::set<long> before = threadIds();
    const auto start = std::chrono::steady_clock::now();
    device.startPolling();
    long pollingThread = -1;
    for (int i = 0; i < 100 && pollingThread < 0; ++i) {
        for (long id : threadIds()) {
            if (before.count(id) == 0) {
                pollingThread = id;
            }
        }
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu = pollingThread >= 0 ? threadCpuSeconds(pollingThread) : -1;
    CDiag newest;
    device.diagData.lastSample(newest);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    device.stopPolling();

    const double wireSeconds =
        bench::wireSeconds(bench::frameBytes(kRequestPayload) + bench::frameBytes(kReplyPayload));
    const double allowedRate = 1.0 / (kPauseSeconds + wireSeconds);
    const double achievedRate = newest.sampleNumber / elapsed;
    const double ratio = achievedRate / allowedRate;
    const double cpuPerMinute = cpu * 60.0 / elapsed;
    std::printf("polling at %u baud for %.1f s\n", bench::kBaud, elapsed);
    std::printf("  samples              %u\n", newest.sampleNumber);
    std::printf("  allowed rate         %.2f /s (50 ms + %.2f ms on the wire)\n", allowedRate,
                wireSeconds * 1000);
    std::printf("  achieved rate        %.2f /s\n", achievedRate);
    std::printf("  ratio                %.3f (goal: at least 0.95)\n", ratio);
    if (cpu >= 0) {
        std::printf("  polling thread CPU   %.1f ms per minute = %.3f %% of a core (goal: under "
                    "1 %%)\n",
                    cpuPerMinute * 1000, cpuPerMinute / 60.0 * 100);
    } else {
        std::printf("  polling thread CPU   not measurable here\n");
    }
    return ratio >= 0.95 && cpu >= 0 && cpuPerMinute < 0.6 ? 0 : 1;
}
