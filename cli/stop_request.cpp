#include "cli/stop_request.h"

#include <csignal>

namespace krv::cli {

namespace {

std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void raiseStopRequest(int) {
    requested = true;
}

void handleStops(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

std::atomic<bool>& stopRequest() {
    return requested;
}

StopOnSignals::StopOnSignals() {
    requested = false;
    handleStops(raiseStopRequest);
}

StopOnSignals::~StopOnSignals() {
    handleStops(SIG_DFL);
}

} // namespace krv::cli
