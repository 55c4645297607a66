// flash: the window's firmware update with the file named on the command line, after a backup
// of the map, axes and settings, which are read back afterwards: an update that lost them says
// so with the command that writes the backup back. A controller found waiting in its
// bootloader is programmed by the search itself, through the forced path (nothing to back up).

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "cli/whole_write.h"
#include "device/map_file/map_file.h"
#include "firmware/update/firmware_update.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "register/file_checksum.h"

#include <filesystem>
#include <fstream>

namespace krv::cli {

namespace {

// One word for a POSIX shell, whatever the path holds.
std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char ch : text) {
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    }
    return quoted + "'";
}

// After a successful update: the controller's map, axes and settings against the backup.
void checkMapKept(Session& session, const CliOptions& options, const MapSnapshot& before,
                  const MapFileInfo& beforeInfo, const std::string& backup, CliIo& io) {
    CLPGConnection& device = session.device();
    const std::optional<MapSnapshot> after = session.readControllerState();
    if (!after || *after == before) {
        return;
    }
    // A new firmware version makes write-map ask for --force; the command must just work.
    const bool force = identityDifference(beforeInfo, mapFileInfoOf(device)).any();
    io.err << say(texts::kCliMapChangedByUpdate, {backup}) << "\n  krv-cli "
           << (options.port ? "--port " + shellQuoted(*options.port) + " " : std::string())
           << "write-map " << (force ? "--force " : "") << shellQuoted(backup) << std::endl;
}

} // namespace

int runFlash(const CliOptions& options, CliIo& io) {
    const std::filesystem::path file = options.operands.front();
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) || !std::ifstream(file).good()) {
        io.err << say(texts::kCannotReadFile, {file.string()}) << std::endl;
        return kExitFailed;
    }
    Session session(options, io);
    session.messages().answerYes(options.yes);
    session.window().setFirmwareFile(toU16(std::filesystem::absolute(file).string()));
    // Held from the search on: a controller found in its bootloader is programmed by the search.
    WholeWrite whole(io);
    const bool found = session.connect();
    CLPGConnection& device = session.device();
    const auto holdsFirmware = [&] {
        return say(texts::kCliHoldsFirmware, {std::to_string(device.firmwareVersion)});
    };
    if (const auto forced = session.window().forcedUpdateResult()) {
        return whole.finish(*forced && device.connected ? kExitDone : kExitFailed, holdsFirmware());
    }
    if (!found) {
        return kExitFailed;
    }
    return session.guarded(firmware_update::kButtonOperation, [&] {
        const std::optional<MapSnapshot> before = session.readControllerState();
        if (!before) {
            return kExitFailed;
        }
        if (const auto stopped = whole.stopBeforeWriting()) {
            return *stopped;
        }
        const MapFileInfo beforeInfo = mapFileInfoOf(device);
        const std::optional<std::string> backup = session.backUp("firmware-update", *before);
        if (!backup) {
            return kExitFailed;
        }
        // A programmed controller that is not found again has been reported as a failure.
        const bool updated = session.window().updateFirmware(false) && device.connected;
        if (updated) {
            checkMapKept(session, options, *before, beforeInfo, *backup, io);
        }
        bool recorded = true;
        if (CarRecord* car = session.car()) {
            const std::string path = std::filesystem::absolute(file).string();
            recorded = car->recordFirmwareUpdate({path, device.firmwareVersion,
                                                  reg::fileCrc32(path).value_or(0), updated}) &&
                       (!updated || session.recordWritten("firmware-update"));
        }
        return whole.finish(updated && recorded ? kExitDone : kExitFailed, holdsFirmware());
    });
}

} // namespace krv::cli
