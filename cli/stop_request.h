#pragma once
// Ctrl+C and SIGTERM for commands that end cleanly on them (log): while a StopOnSignals lives
// they only raise the stop request; otherwise they end the program as usual.

#include <atomic>

namespace krv::cli {

std::atomic<bool>& stopRequest();

class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;
};

} // namespace krv::cli
