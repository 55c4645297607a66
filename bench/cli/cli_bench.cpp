// krv-cli against the simulated controller on a paced 38400-baud wire, run as a script runs it:
//  - flash of a full image: wall time of the whole command over the time all its exchanges
//    need on the wire plus the update's two one-second pauses; goal at most 1.10;
//  - log: rows written per second over the rate the polling allows (one sample per 50 ms plus
//    the wire time of one readings exchange); goal at least 0.95.
// Usage: bench_cli [log seconds]   (default 20)

#include "bench/support/paced_controller.h"
#include "cli/cli.h"
#include "sim/afm/afm_tool.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace krv;
using Clock = std::chrono::steady_clock;

constexpr double kFixedPauses = 2.0; // after the query, before reconnecting
constexpr double kPollingPause = 0.050;

struct Timed {
    int code;
    double seconds;
};

Timed runCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    cli::CliIo io{out, err, false};
    const auto start = Clock::now();
    const int code = cli::runCli(args, io);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (code != cli::kExitDone) {
        std::fprintf(stderr, "krv-cli %s: %s", args.front().c_str(), err.str().c_str());
    }
    return {code, seconds};
}

size_t dataRows(const std::string& path) {
    std::ifstream in(path);
    size_t rows = 0;
    for (std::string line; std::getline(in, line);) {
        rows += !line.empty() && line[0] != '#' && !line.starts_with("seconds,");
    }
    return rows;
}

bool benchFlash(const std::string& folder) {
    const std::string file = folder + "/full.afm";
    std::ostringstream errors;
    if (sim::runAfmTool(std::vector<std::string>{file, "--sample"}, errors) != sim::kAfmToolOk) {
        std::fprintf(stderr, "krv-afm: %s", errors.str().c_str());
        return false;
    }
    bench::CPacedController paced;
    if (!paced.start()) {
        return false;
    }
    const Timed flash = runCli({"flash", "--quiet", file});
    const double limit = bench::wireSeconds(paced.tally.bytes()) + kFixedPauses;
    const double ratio = flash.seconds / limit;
    std::printf("krv-cli flash of a full image at %u baud: %s\n", bench::kBaud,
                flash.code == cli::kExitDone ? "programmed and reconnected" : "FAILED");
    std::printf("  bytes on the wire      %zu (both ways, the whole command)\n",
                paced.tally.bytes());
    std::printf("  wall time              %.3f s\n", flash.seconds);
    std::printf("  wire-time limit        %.3f s (with the two 1 s pauses)\n", limit);
    std::printf("  ratio                  %.3f (goal: at most 1.10)\n", ratio);
    return flash.code == cli::kExitDone && ratio <= 1.10;
}

bool benchLog(const std::string& folder, double seconds) {
    bench::CPacedController paced;
    if (!paced.start()) {
        return false;
    }
    const std::string file = folder + "/log.csv";
    char length[32];
    std::snprintf(length, sizeof length, "%g", seconds);
    const Timed log = runCli({"log", "--seconds", length, "--csv", file});
    const size_t rows = dataRows(file);
    const double wire =
        bench::wireSeconds(bench::frameBytes(6) + bench::frameBytes(18)); // readings exchange
    const double allowed = 1.0 / (kPollingPause + wire);
    const double achieved = static_cast<double>(rows) / seconds;
    const double ratio = achieved / allowed;
    std::printf("krv-cli log at %u baud for %g s (the command took %.3f s)\n", bench::kBaud,
                seconds, log.seconds);
    std::printf("  rows                 %zu\n", rows);
    std::printf("  allowed rate         %.2f /s (50 ms + %.2f ms on the wire)\n", allowed,
                wire * 1000);
    std::printf("  achieved rate        %.2f /s\n", achieved);
    std::printf("  ratio                %.3f (goal: at least 0.95)\n", ratio);
    return log.code == cli::kExitDone && ratio >= 0.95;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: %s [log seconds]\n", argv[0]);
        return 2;
    }
    const bench::CTemporarySettingsFolder settings;
    const std::string folder = settings.path().string();
    const bool flashMet = benchFlash(folder);
    const bool logMet = benchLog(folder, seconds);
    return flashMet && logMet ? 0 : 1;
}
