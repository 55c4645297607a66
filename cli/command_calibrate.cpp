// calibrate: the calibration drive's proposal from a recorded readings log, on the map and axes
// of the controller or of a map file, written as a map file; nothing goes to the controller.

#include "calibration/calibration.h"
#include "calibration/calibration_texts.h"
#include "cli/car_record.h"
#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "device/map_file/map_file.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "platform/atomic_file.h"
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
            io.err << oneLine(file.error) << std::endl;
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
    // The log is read and checked whole before the controller is even looked for.
    const ReadingsLogRead log = readReadingsLog(options.operands.front());
    if (!log.ok()) {
        io.err << log.error << std::endl;
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
    const CalibrationProposal proposal =
        proposeCalibration(calibrationSamplesOf(*log.log), map->snapshot, parameters);
    printProposal(io.out, proposal);
    if (car != nullptr &&
        !car->recordDrive({std::filesystem::absolute(options.operands.front()).string(),
                           proposal.summary.learned, proposal.summary.readings,
                           proposal.appliedTo(map->snapshot)})) {
        return kExitFailed;
    }
    if (options.out) {
        MapFileInfo info = map->info;
        info.saved = localTimeIso8601(std::time(nullptr));
        if (!replaceFileAtomically(*options.out,
                                   formatMapFile(proposal.appliedTo(map->snapshot), info))) {
            io.err << say(texts::kCannotWriteFile, {*options.out}) << std::endl;
            return kExitFailed;
        }
    }
    return kExitDone;
}

} // namespace krv::cli
