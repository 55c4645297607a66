#include "firmware/update/firmware_update_window.h"
#include "lang/program_texts.h"

#include <cmath>

namespace krv {

std::u16string_view updatePhaseText(FirmwareUpdateProgress::Phase phase) {
    using Phase = FirmwareUpdateProgress::Phase;
    switch (phase) {
    case Phase::EnteringBootloader:
        return texts::kPhaseEnteringBootloader;
    case Phase::Programming:
        return texts::kPhaseProgramming;
    case Phase::Ending:
        return texts::kPhaseEnding;
    case Phase::StartingApplication:
        return texts::kPhaseStartingApplication;
    case Phase::Reconnecting:
        break;
    }
    return texts::kPhaseReconnecting;
}

std::optional<int> UpdateTimeLeft::estimate(const FirmwareUpdateProgress& progress,
                                            Clock::time_point now) {
    if (progress.phase != FirmwareUpdateProgress::Phase::Programming || progress.rowsWritten == 0) {
        rowsStarted_ = now; // rows are timed from the first one of this attempt
        return std::nullopt;
    }
    const double perRow =
        std::chrono::duration<double>(now - rowsStarted_).count() / progress.rowsWritten;
    return static_cast<int>(std::ceil(perRow * (progress.rowsTotal - progress.rowsWritten)));
}

} // namespace krv
