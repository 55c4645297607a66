#pragma once
// Ctrl+C and SIGTERM for commands that end cleanly on them: while a StopOnSignals lives they
// only raise the stop request (log ends its loop; a write to the controller is finished whole
// first); before and after, they act as they did before it (as a rule, end the program).

#include "platform/stop_signals.h"

#include <atomic>
#include <csignal>

namespace krv::cli {

std::atomic<bool>& stopRequest();
// The signal that raised the request (SIGINT or SIGTERM); 0 when it was raised otherwise.
int stopSignal();
// The exit code of a command that stopped on the request, as a shell reports a program ended
// by the signal (Ctrl+C when it was raised otherwise).
int stoppedExitCode();

class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals() = default;
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    StopSignals signals_;
};

} // namespace krv::cli
