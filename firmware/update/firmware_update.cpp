#include "firmware/update/firmware_update.h"

#include "device/protocol_codes.h"
#include "firmware/firmware_file.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace krv {

using namespace firmware_update;

namespace {

// Rows of the controller's application area: no image writes more.
constexpr int kApplicationRows = static_cast<int>(
    (protocol::kEndProgramAddress - protocol::kFirstProgramAddress) / protocol::kRowUnits);

// Holds the window's wait cursor for a scope, error objects passing through included.
class CWaitCursorScope {
public:
    explicit CWaitCursorScope(IFirmwareUpdateWindow& window) : window_(window) {
        window_.beginWaitCursor();
    }
    ~CWaitCursorScope() { window_.endWaitCursor(); }
    CWaitCursorScope(const CWaitCursorScope&) = delete;
    CWaitCursorScope& operator=(const CWaitCursorScope&) = delete;

private:
    IFirmwareUpdateWindow& window_;
};

class CFirmwareUpdate {
public:
    CFirmwareUpdate(CLPGConnection& device, IFirmwareUpdateWindow& window, bool forced,
                    const SleepFor& sleep)
        : device_(device), window_(window), forced_(forced), sleep_(sleep) {}

    bool run() {
        if (device_.deviceType != kServedDeviceType) {
            return fail(texts::kProgrammingFailed);
        }
        const std::u16string path =
            window_.selectFile(firmwareDirectory(), translate(texts::kFirmwareFilesFilter),
                               std::u16string(kDefaultExtension));
        if (path.empty()) {
            return false;
        }
        const CWaitCursorScope busy(window_);
        const uint16_t controllerVersion = device_.firmwareVersion;
        CFirmwareFile file;
        uint16_t fileVersion = 0;
        std::u16string identification;
        uint16_t targetCode = 0;
        const std::filesystem::path filePath(toUtf8(path));
        if (!file.load(filePath, fileVersion, identification, targetCode)) {
            // Nothing was sent yet: saying "programming failed" would send the fitter after
            // the controller instead of the file.
            return failShown(fillIn(translate(texts::kFirmwareFileDamaged),
                                    {toU16(filePath.filename().string())}));
        }
        if (targetCode != kServedTargetCode || identification != kServedIdentification) {
            return fail(texts::kWrongFirmwareFile);
        }
        if (fileVersion < controllerVersion && !olderVersionAccepted()) {
            return false;
        }
        if (!forced_) {
            device_.stopPolling();
        }
        if (!program(file)) {
            showError(texts::kProgrammingFailed);
            leftUnreachable();
            return false;
        }
        enterPhase(FirmwareUpdateProgress::Phase::Reconnecting);
        sleep_(kPauseBeforeReconnect);
        device_.connect(*device_.host, CLPGConnection::WhenNoneAnswers::EndUnconnected);
        if (!device_.connected) {
            // The controller was programmed all the same: the caller learns that much.
            showError(texts::kProgrammingFailed);
            leftUnreachable();
        } else if (!forced_) {
            device_.startPolling();
        }
        return true;
    }

private:
    void showError(std::u16string_view text) { showTranslated(translate(text)); }

    void showTranslated(const std::u16string& text) {
        showMessage(window_.messageOwner(), text, std::u16string(kMessageCaption),
                    MB_OK | MB_ICONERROR);
    }

    bool fail(std::u16string_view text) { return failShown(translate(text)); }

    bool failShown(const std::u16string& text) {
        showTranslated(text);
        return false;
    }

    // The window must not go on saying "connected" over frozen readings: the reconnect finds a
    // controller left in its bootloader and offers it the forced update. (A forced update runs
    // inside a search, which goes on by itself.)
    void leftUnreachable() {
        if (!forced_) {
            device_.markLinkLost();
        }
    }

    bool olderVersionAccepted() {
        return showMessage(window_.messageOwner(), translate(texts::kControllerNewerThanFile),
                           std::u16string(kMessageCaption), MB_YESNO | MB_DEFBUTTON2) == IDYES;
    }

    bool program(const CFirmwareFile& file) {
        progress_.rowsTotal = std::min<int>(static_cast<int>(file.blockCount()), kApplicationRows);
        for (int attempt = 1; attempt <= kProgrammingAttempts; ++attempt) {
            progress_.attempt = attempt;
            if (programOnce(file)) {
                return true;
            }
        }
        return false;
    }

    void enterPhase(FirmwareUpdateProgress::Phase phase) {
        progress_.phase = phase;
        if (phase == FirmwareUpdateProgress::Phase::EnteringBootloader) {
            progress_.rowsWritten = 0;
        }
        window_.showProgress(progress_);
    }

    // One pass of the bootloader sequence; the first step that fails ends it.
    bool programOnce(const CFirmwareFile& file) {
        using Phase = FirmwareUpdateProgress::Phase;
        enterPhase(Phase::EnteringBootloader);
        if (!forced_) {
            // A controller already in its bootloader refuses this; the query tells.
            device_.enterBootloader();
        }
        uint16_t state = CLPGDevice::kNoBootloaderState;
        if (!device_.queryBootloader(state)) {
            return false;
        }
        sleep_(kPauseAfterQuery);
        enterPhase(Phase::Programming);
        // The file never holds more than 384 blocks, and the bootloader stops at its own end.
        const bool written = device_.programImage(
            file.image().data(), static_cast<uint16_t>(file.blockCount()), [this](int rows, int) {
                progress_.rowsWritten = rows;
                window_.showProgress(progress_);
            });
        if (!written) {
            return false;
        }
        enterPhase(Phase::Ending);
        if (!device_.endProgramming()) {
            return false;
        }
        enterPhase(Phase::StartingApplication);
        return device_.startApplication();
    }

    CLPGConnection& device_;
    IFirmwareUpdateWindow& window_;
    const bool forced_;
    const SleepFor sleep_;
    FirmwareUpdateProgress progress_;
};

} // namespace

void sleepFor(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

std::u16string firmwareDirectory() {
    const std::string typeFolder = "/" + toUtf8(kServedTypeFolder);
    // An executable that cannot be located gives a folder relative to the working directory.
    const std::string beside = executableDirectory() + toUtf8(kFolderName) + typeFolder;
    // Installed, nothing of ours lies beside the executable: the files are in the user's data.
    const std::string data = xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
    const std::string inData = data.empty() ? data : data + "/" + toUtf8(kDataFolder) + typeFolder;
    return toU16(firstExistingDirectory({beside, inData}));
}

bool updateFirmware(CLPGConnection& device, IFirmwareUpdateWindow& window, bool forced,
                    const SleepFor& sleep) {
    return CFirmwareUpdate(device, window, forced, sleep).run();
}

} // namespace krv
