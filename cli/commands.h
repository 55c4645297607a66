#pragma once
// The commands: name, synopsis, help line, the options each accepts, and how each runs.

#include "cli/cli.h"
#include "cli/options.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krv::cli {

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::u16string_view summary;
    std::vector<std::string_view> ownOptions; // besides the global ones
    size_t minOperands = 0;
    size_t maxOperands = 0;
    int (*run)(const CliOptions& options, CliIo& io);
};

std::span<const Command> commands();

int runPorts(const CliOptions& options, CliIo& io);
int runInfo(const CliOptions& options, CliIo& io);
int runSet(const CliOptions& options, CliIo& io);
int runReadMap(const CliOptions& options, CliIo& io);
int runWriteMap(const CliOptions& options, CliIo& io);
int runClearMap(const CliOptions& options, CliIo& io);
int runEdit(const CliOptions& options, CliIo& io);
int runFlash(const CliOptions& options, CliIo& io);
int runLog(const CliOptions& options, CliIo& io);
int runCalibrate(const CliOptions& options, CliIo& io);
int runConvert(const CliOptions& options, CliIo& io);
int runCar(const CliOptions& options, CliIo& io);

// A usage fault: the line on err, then the exit code for it.
int usageError(CliIo& io, const std::string& line);

} // namespace krv::cli
