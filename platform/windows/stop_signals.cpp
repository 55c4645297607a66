#include "platform/stop_signals.h"

#include "platform/windows/system.h"

#include <atomic>

namespace krv {
namespace {

std::atomic<StopSignals::Handler> handler{nullptr};

// Runs on a thread the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    const StopSignals::Handler current = handler.load();
    if (current == nullptr) {
        return FALSE;
    }
    switch (event) {
    case CTRL_C_EVENT:
        current(SIGINT);
        return TRUE;
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        current(SIGTERM);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

StopSignals::StopSignals(Handler stop) {
    handler = stop;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    handler = nullptr;
}

} // namespace krv
