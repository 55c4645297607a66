// read-map, write-map and clear-map: the map file shared with the window, and a backup of the
// controller's map, axes and settings before anything overwrites them.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/map_writes.h"
#include "cli/output.h"
#include "cli/session.h"
#include "cli/whole_write.h"
#include "device/map_file/map_backups.h"
#include "device/map_file/map_file.h"
#include "lang/program_texts.h"
#include "platform/text.h"

namespace krv::cli {

std::optional<MapSnapshot> Session::readControllerState() {
    // Fresh from the controller: a map file or a write must never be made from data that
    // failed to load, nor from what the connection read before another command changed it.
    auto held = krv::readControllerState(device_);
    if (!held) {
        fail(say(texts::kReadSettingsFailed));
    } else if (car_ != nullptr && !arrivalRecorded_) {
        // The first read is what the controller held when the command found it.
        arrivalRecorded_ = true;
        if (!car_->recordArrival({device_.deviceType, device_.firmwareVersion, *held})) {
            return std::nullopt;
        }
    }
    return held;
}

std::optional<std::string> Session::backUp(std::string_view operation, const MapSnapshot& held) {
    if (!mayWrite(held)) {
        return std::nullopt;
    }
    if (operation == "clear" && car_ != nullptr &&
        !car_->record({device_.deviceType, device_.firmwareVersion, held},
                      reg::Cause::BeforeClear)) {
        return std::nullopt;
    }
    const MapBackupWrite backup = writeMapBackup(operation, held, mapFileInfoOf(device_));
    if (!backup.ok) {
        fail(oneLine(backup.error));
        return std::nullopt;
    }
    return backup.path;
}

int runReadMap(const CliOptions& options, CliIo& io) {
    const std::string& path = options.operands.front();
    Session session(options, io);
    if (!session.connect()) {
        return kExitFailed;
    }
    return session.guarded(u"krv-cli read-map", [&] {
        const std::optional<MapSnapshot> held = session.readControllerState();
        if (!held) {
            return kExitFailed;
        }
        return writeResult(io, path, formatMapFile(*held, mapFileInfoOf(session.device())), {});
    });
}

int runWriteMap(const CliOptions& options, CliIo& io) {
    // The file is read and checked whole before the controller is even looked for.
    const MapFileRead file = readMapFile(options.operands.front());
    if (!file.ok()) {
        io.err << oneLine(file.error) << std::endl;
        return kExitFailed;
    }
    const MapSnapshot& target = file.content->snapshot;
    Session session(options, io);
    return session.writeOnHeld(
        u"krv-cli write-map", [&](WholeWrite& whole, const MapSnapshot& held) {
            const IdentityDifference identity =
                identityDifference(file.content->info, mapFileInfoOf(session.device()));
            // Said even when forced, so that a log of the run shows what was written where.
            if (identity.any()) {
                io.err << oneLine(identity.message) << std::endl;
                if (!options.force) {
                    io.err << say(texts::kCliForceToWrite) << std::endl;
                    return kExitUsage;
                }
            }
            if (options.dryRun) {
                printChanges(io.out, held, target);
                return kExitDone;
            }
            const int code = writeBackedUp(session, "write-map", held, target, WriteKind::Whole);
            return whole.finish(code, say(texts::kCliHoldsFile, {options.operands.front()}));
        });
}

int runClearMap(const CliOptions& options, CliIo& io) {
    Session session(options, io);
    return session.writeOnHeld(
        u"krv-cli clear-map", [&](WholeWrite& whole, const MapSnapshot& held) {
            MapSnapshot cleared = held;
            cleared.cells.fill(0);
            return whole.finish(writeBackedUp(session, "clear", held, cleared, WriteKind::Clear),
                                say(texts::kCliHoldsClearedMap));
        });
}

} // namespace krv::cli
