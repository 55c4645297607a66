#pragma once
// The firmware update's progress on stderr: phase, percentage, rows and the time left. On a
// terminal one line is redrawn in place; elsewhere (a log file, a pipe) a plain line is written
// at each phase and each tenth of the rows, so a log stays short.

#include "firmware/update/firmware_update_window.h"

#include <chrono>
#include <ostream>
#include <string>

namespace krv::cli {

class ProgressLine {
public:
    using Clock = UpdateTimeLeft::Clock;

    ProgressLine(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}
    void show(const FirmwareUpdateProgress& progress, Clock::time_point now = Clock::now());
    // Ends a redrawn line so that later messages start on their own line.
    void finish();

private:
    std::string describe(const FirmwareUpdateProgress& progress, std::optional<int> secondsLeft);

    std::ostream& err_;
    const bool terminal_;
    bool lineOpen_ = false;
    int lastPhase_ = -1;
    int lastAttempt_ = 0;
    int lastTenth_ = -1;
    UpdateTimeLeft timeLeft_;
};

} // namespace krv::cli
