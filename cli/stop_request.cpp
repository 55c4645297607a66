#include "cli/stop_request.h"

#include "cli/cli.h"

namespace krv::cli {

namespace {

std::atomic<bool> requested{false};
std::atomic<int> requestedBy{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "set from a signal handler");

extern "C" void raiseStopRequest(int signal) {
    requestedBy = signal;
    requested = true;
}

// Clears the request for the command about to run and gives what raises it.
StopSignals::Handler clearedStopRequest() {
    requested = false;
    requestedBy = 0;
    return raiseStopRequest;
}

} // namespace

std::atomic<bool>& stopRequest() {
    return requested;
}

int stopSignal() {
    return requested ? requestedBy.load() : 0;
}

int stoppedExitCode() {
    return kExitStoppedBase + (stopSignal() != 0 ? stopSignal() : SIGINT);
}

StopOnSignals::StopOnSignals() : signals_(clearedStopRequest()) {}

} // namespace krv::cli
