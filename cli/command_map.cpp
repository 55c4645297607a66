// read-map, write-map and clear-map: the map file shared with the window, and a backup of the
// controller's map, axes and settings before anything overwrites them.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/map_writes.h"
#include "cli/session.h"
#include "device/map_file/map_file.h"
#include "lang/program_texts.h"
#include "platform/atomic_file.h"
#include "platform/text.h"

namespace krv::cli {

bool Session::readControllerData() {
    // Fresh from the controller, whatever the connection managed to read: a map file or a
    // write must never be made from data that failed to load.
    if (device_.readSettings() && device_.readMap() && device_.readMapAxes()) {
        return true;
    }
    fail(say(texts::kReadSettingsFailed));
    return false;
}

int runReadMap(const CliOptions& options, CliIo& io) {
    const std::string& path = options.operands.front();
    Session session(options, io);
    if (!session.connect()) {
        return kExitFailed;
    }
    return session.guarded(u"krv-cli read-map", [&] {
        if (!session.readControllerData()) {
            return kExitFailed;
        }
        const std::string text =
            formatMapFile(snapshotOf(session.device()), mapFileInfoOf(session.device()));
        if (path == "-") {
            io.out << text << std::flush;
            return kExitDone;
        }
        if (!replaceFileAtomically(path, text)) {
            return session.fail(say(texts::kCannotWriteFile, {path}));
        }
        return kExitDone;
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
    if (!session.connect()) {
        return kExitFailed;
    }
    CLPGConnection& device = session.device();
    return session.guarded(u"krv-cli write-map", [&] {
        if (!session.readControllerData()) {
            return kExitFailed;
        }
        if (options.dryRun) {
            printChanges(io.out, snapshotOf(device), target);
            return kExitDone;
        }
        return writeBackedUp(session, "write-map", target, {true, true, true});
    });
}

int runClearMap(const CliOptions& options, CliIo& io) {
    Session session(options, io);
    if (!session.connect()) {
        return kExitFailed;
    }
    CLPGConnection& device = session.device();
    return session.guarded(u"krv-cli clear-map", [&] {
        if (!session.readControllerData() || !backedUp(session, "clear")) {
            return kExitFailed;
        }
        if (!device.clearMapTime() || !device.storeMap()) {
            return session.fail(say(texts::kWriteMapFailed));
        }
        device.map.fill(0.0);
        return kExitDone;
    });
}

} // namespace krv::cli
