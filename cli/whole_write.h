#pragma once
// A write to the controller that Ctrl+C or SIGTERM cannot cut in half (new axes left with the
// old map, a firmware half programmed): from its start the signals only raise the stop
// request. One that came before the first write stops the command with nothing written; one
// that came later is served once the write is whole and checked, and the command then says
// what the controller holds.

#include "cli/cli.h"
#include "cli/stop_request.h"

#include <optional>
#include <string>

namespace krv::cli {

class WholeWrite {
public:
    explicit WholeWrite(CliIo& io) : io_(io) {}

    // The stop's exit code, after the line that nothing was written, when a stop came before
    // the writes began; nothing otherwise.
    std::optional<int> stopBeforeWriting();
    // The command's exit code once the write is over: code as it is unless a stop came;
    // else, after the lines that say so and (when code is kExitDone) what the controller
    // holds, the stop's code.
    int finish(int code, const std::string& holds);

private:
    CliIo& io_;
    StopOnSignals stops_;
};

} // namespace krv::cli
