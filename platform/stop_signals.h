#pragma once
// The requests to end a console program (Ctrl+C and SIGTERM; on Windows the console's Ctrl+C,
// Ctrl+Break and close) sent to a handler while a StopSignals lives; before and after, they act
// as they did before it (as a rule, end the program).

#include <csignal>

namespace krv {

class StopSignals {
public:
    // Called with SIGINT (Ctrl+C) or SIGTERM (any other request to end); it may run on a thread
    // of its own or interrupt another, so it only sets lock-free atomics.
    using Handler = void (*)(int signal);

    explicit StopSignals(Handler handler);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
#ifndef _WIN32
    struct sigaction previous_[2] = {};
#endif
};

} // namespace krv
