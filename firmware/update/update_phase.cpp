#include "firmware/update/firmware_update_window.h"
#include "lang/program_texts.h"

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

} // namespace krv
