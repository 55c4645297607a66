#pragma once
// The command line's entry: parses the arguments, runs one command and returns its exit code.
// Everything goes through the streams given, so tests run it in-process.

#include <ostream>
#include <string>
#include <vector>

namespace krv::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1; // the operation failed; one line on err says why
inline constexpr int kExitUsage = 2;
// Plus the signal (130 for Ctrl+C): the command stopped on it after finishing a write whole.
inline constexpr int kExitStoppedBase = 128;

struct CliIo {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // progress is redrawn on one line only on a terminal
    int keys = -1;              // stdin: Enter on a terminal marks a log
};

// args without the program name.
int runCli(const std::vector<std::string>& args, CliIo& io);

} // namespace krv::cli
