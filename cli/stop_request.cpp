#include "cli/stop_request.h"

#include "cli/cli.h"

namespace krv::cli {

namespace {

std::atomic<bool> requested{false};
std::atomic<int> requestedBy{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "set from a signal handler");

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

extern "C" void raiseStopRequest(int signal) {
    requestedBy = signal;
    requested = true;
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

StopOnSignals::StopOnSignals() {
    requested = false;
    requestedBy = 0;
    struct sigaction action {};
    action.sa_handler = raiseStopRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], nullptr, &previous_[i]);
        // A signal the program was started to ignore (a background job) stays ignored.
        if (previous_[i].sa_handler != SIG_IGN) {
            sigaction(kStopSignals[i], &action, nullptr);
        }
    }
}

StopOnSignals::~StopOnSignals() {
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &previous_[i], nullptr);
    }
}

} // namespace krv::cli
