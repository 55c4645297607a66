// calibrate: the calibration drive's proposal from a recorded readings log, on the map and axes
// of the controller or of a map file, written as a map file; nothing goes to the controller.

#include "calibration/calibration.h"
#include "calibration/calibration_texts.h"
#include "cli/car_record.h"
#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "device/map_file/map_file.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "readings_log/readings_log.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace krv::cli {

namespace {

constexpr int kMostHits = 100000;

// The map and axes the readings are filed under: from the file when given, else read afresh
// from the controller. Nothing, with the line on err, when neither can be had.
std::optional<MapFileContent> mapToLearnOn(const CliOptions& options, CliIo& io) {
    if (options.map) {
        MapFileRead file = readMapFile(*options.map);
        if (!file.ok()) {
            // A fault of the file as a whole names it already; one of a line does not.
            io.err << (file.errorLine != 0 ? *options.map + ": " : "") << oneLine(file.error)
                   << std::endl;
        }
        return std::move(file.content);
    }
    Session session(options, io);
    if (!session.connect()) {
        return std::nullopt;
    }
    std::optional<MapFileContent> content;
    session.guarded(u"krv-cli calibrate", [&] {
        const std::optional<MapSnapshot> held = session.readControllerState();
        if (!held) {
            return kExitFailed;
        }
        content = MapFileContent{*held, mapFileInfoOf(session.device())};
        return kExitDone;
    });
    return content;
}

void printProposal(std::ostream& out, const CalibrationProposal& proposal) {
    out << toUtf8(summaryLine(proposal.summary)) << '\n';
    const std::u16string rejections = rejectionsLine(proposal.rejectedByReason());
    if (!rejections.empty()) {
        out << toUtf8(rejections) << '\n';
    }
    for (size_t i = 0; i < kMapCells; ++i) {
        const CellProposal& cell = proposal.cells[i];
        if (cell.status == CellStatus::Learned) {
            out << "cell " << i / kMapColumns + 1 << ',' << i % kMapColumns + 1 << ": "
                << fixed(units::mapCellVolts(cell.current), 2) << " -> "
                << fixed(units::mapCellVolts(cell.proposed), 2) << " V, " << cell.hits
                << " hits, spread " << fixed(cell.spreadVolts, 3) << " V\n";
        }
    }
    out << std::flush;
}

} // namespace

int runCalibrate(const CliOptions& options, CliIo& io) {
    CalibrationParameters parameters;
    if (options.minHits) {
        const std::string& text = *options.minHits;
        const char* last = text.data() + text.size();
        if (text.empty() || std::from_chars(text.data(), last, parameters.minHits).ptr != last) {
            return usageError(io, say(texts::kCliBadValue, {text}));
        }
        if (parameters.minHits < 1 || parameters.minHits > kMostHits) {
            return usageError(
                io, say(texts::kCliOutOfRange, {text, "1.." + std::to_string(kMostHits)}));
        }
    }
    // The log is read and checked whole before the controller is even looked for, and the
    // recording is never the output.
    const std::string& logPath = options.operands.front();
    const ReadingsLogRead log = readReadingsLog(logPath);
    if (!log.ok()) {
        io.err << log.error << std::endl;
        return kExitFailed;
    }
    if (options.out && refusedAsOutput(io, *options.out, {logPath})) {
        return kExitFailed;
    }
    std::unique_ptr<CarRecord> car;
    if (options.car) {
        car = CarRecord::open(*options.car, io.err);
        if (car == nullptr) {
            return kExitFailed;
        }
    }
    const std::optional<MapFileContent> map = mapToLearnOn(options, io);
    if (!map) {
        return kExitFailed;
    }
    // Readings taken under other axes would be filed into cells they never belonged to.
    if (log.log->axes && *log.log->axes != map->snapshot.axes()) {
        io.err << say(texts::kCliLogOfOtherAxes) << std::endl;
        if (!options.force) {
            io.err << say(texts::kCliForceToLearn) << std::endl;
            return kExitUsage;
        }
    }
    if (log.log->firmwareVersion != map->info.firmwareVersion) {
        io.err << say(texts::kCliLogOfOtherFirmware, {std::to_string(log.log->firmwareVersion),
                                                      std::to_string(map->info.firmwareVersion)})
               << std::endl;
    }
    const CalibrationProposal proposal =
        proposeCalibration(calibrationSamplesOf(*log.log), map->snapshot, parameters);
    // With the map file on stdout, the proposal goes beside the messages.
    printProposal(options.out == "-" ? io.err : io.out, proposal);
    if (car != nullptr &&
        !car->recordDrive({std::filesystem::absolute(logPath).string(), proposal.summary.learned,
                           proposal.summary.readings, proposal.appliedTo(map->snapshot)})) {
        return kExitFailed;
    }
    if (proposal.summary.learned == 0) {
        io.err << say(texts::kCliNothingLearned) << std::endl;
        return kExitFailed;
    }
    if (!options.out) {
        return kExitDone;
    }
    MapFileInfo info = map->info;
    info.saved = localTimeIso8601(std::time(nullptr));
    return writeResult(io, *options.out, formatMapFile(proposal.appliedTo(map->snapshot), info),
                       {logPath});
}

} // namespace krv::cli
