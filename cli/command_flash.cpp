// flash: the window's firmware update with the file named on the command line. A controller
// found waiting in its bootloader is programmed by the search itself, through the forced path.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "cli/whole_write.h"
#include "firmware/update/firmware_update.h"
#include "lang/program_texts.h"
#include "platform/text.h"

#include <filesystem>
#include <fstream>

namespace krv::cli {

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
    if (const auto stopped = whole.stopBeforeWriting()) {
        return *stopped;
    }
    return session.guarded(firmware_update::kButtonOperation, [&] {
        // A programmed controller that is not found again has been reported as a failure.
        const int code =
            session.window().updateFirmware(false) && device.connected ? kExitDone : kExitFailed;
        return whole.finish(code, holdsFirmware());
    });
}

} // namespace krv::cli
