#include "platform/stop_signals.h"

#include <iterator>

namespace krv {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

} // namespace

StopSignals::StopSignals(Handler handler) {
    struct sigaction action {};
    action.sa_handler = handler;
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

StopSignals::~StopSignals() {
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &previous_[i], nullptr);
    }
}

} // namespace krv
