#include "cli/progress_line.h"

#include "cli/cli_text.h"
#include "lang/program_texts.h"

namespace krv::cli {

std::string ProgressLine::describe(const FirmwareUpdateProgress& progress,
                                   std::optional<int> secondsLeft) {
    std::string line = say(updatePhaseText(progress.phase));
    if (progress.attempt > 1) {
        line += " (" + say(texts::kCliProgressAttempt, {std::to_string(progress.attempt)}) + ")";
    }
    if (progress.phase != FirmwareUpdateProgress::Phase::Programming || progress.rowsTotal <= 0) {
        return line;
    }
    const int percent = progress.rowsWritten * 100 / progress.rowsTotal;
    // Before the first row there is nothing to go by.
    const std::string left = secondsLeft ? std::to_string(*secondsLeft) : "?";
    return line + ": " + std::to_string(percent) + " % (" +
           say(texts::kCliProgressRows,
               {std::to_string(progress.rowsWritten), std::to_string(progress.rowsTotal), left}) +
           ")";
}

void ProgressLine::show(const FirmwareUpdateProgress& progress, Clock::time_point now) {
    const int phase = static_cast<int>(progress.phase);
    const bool newStep = phase != lastPhase_ || progress.attempt != lastAttempt_;
    const std::optional<int> secondsLeft = timeLeft_.estimate(progress, now);
    const int tenth = progress.rowsTotal > 0 ? progress.rowsWritten * 10 / progress.rowsTotal : 0;
    const bool newTenth = tenth != lastTenth_;
    lastPhase_ = phase;
    lastAttempt_ = progress.attempt;
    lastTenth_ = tenth;
    if (terminal_) {
        // Erase to the end of the line: a shorter text must not leave the old one's tail.
        err_ << '\r' << describe(progress, secondsLeft) << "\x1b[K" << std::flush;
        lineOpen_ = true;
    } else if (newStep || newTenth) {
        err_ << describe(progress, secondsLeft) << '\n' << std::flush;
    }
}

void ProgressLine::finish() {
    if (lineOpen_) {
        err_ << '\n' << std::flush;
        lineOpen_ = false;
    }
}

} // namespace krv::cli
