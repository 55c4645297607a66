#pragma once
// What the firmware update needs of the window it runs under. The main dialog gives it the
// toolkit's file dialog and wait cursor; tests answer the dialog themselves.

#include "link/message.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace krv {

// Where an update stands, for a progress display.
struct FirmwareUpdateProgress {
    enum class Phase { EnteringBootloader, Programming, Ending, StartingApplication, Reconnecting };
    Phase phase = Phase::EnteringBootloader;
    int rowsWritten = 0; // of rowsTotal rows of the image
    int rowsTotal = 0;
    int attempt = 1; // 1 .. kProgrammingAttempts
};

// The phase as a progress display names it (the Polish text, to be translated).
std::u16string_view updatePhaseText(FirmwareUpdateProgress::Phase phase);

// Seconds left for the rows, from the pace of the rows written so far in this attempt; none
// outside the programming phase or before its first row.
class UpdateTimeLeft {
public:
    using Clock = std::chrono::steady_clock;
    std::optional<int> estimate(const FirmwareUpdateProgress& progress, Clock::time_point now);

private:
    Clock::time_point rowsStarted_{};
};

class IFirmwareUpdateWindow {
public:
    virtual ~IFirmwareUpdateWindow() = default;

    // The open-file dialog titled "OPEN". The filter comes as "Description|pattern|" pairs.
    // Returns the full path the user confirmed, or "" when the dialog was cancelled.
    virtual std::u16string selectFile(const std::u16string& initialDirectory,
                                      const std::u16string& filter,
                                      const std::u16string& defaultExtension) = 0;
    // Every beginWaitCursor is matched by one endWaitCursor, on every way out.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // The window the update's message boxes belong to.
    virtual MessageOwner messageOwner() = 0;
    // Called from the thread the update runs on, at each phase and row.
    virtual void showProgress(const FirmwareUpdateProgress& /*progress*/) {}
};

} // namespace krv
