// edit: a table editor's block operations on the controller's map, for scripts, with the
// backup and the dry run of write-map.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/map_writes.h"
#include "cli/session.h"
#include "cli/whole_write.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "map_blocks/block_operations.h"
#include "map_blocks/block_text.h"

#include <functional>
#include <map>

namespace krv::cli {

namespace {

using BlockOperation = std::function<BlockResult(const MapCells&, const Block&)>;

struct Edit {
    Block block;
    BlockOperation operation;
};

const std::map<std::string, Interpolation, std::less<>> kInterpolations = {
    {"bilinear", Interpolation::bilinear},
    {"rows", Interpolation::rows},
    {"columns", Interpolation::columns},
};

// The operations that take a number: set, add and scale.
struct NumberOption {
    std::optional<std::string> CliOptions::*text;
    BlockResult (*operation)(const MapCells&, const Block&, double);
    bool cellVolts; // a value a cell must be able to hold
};
const NumberOption kNumberOptions[] = {
    {&CliOptions::setVolts, setTo, true},
    {&CliOptions::addVolts, add, false},
    {&CliOptions::scalePercent, scale, false},
};

// An explicit value the controller cannot hold is the user's slip, not a cell to cut.
bool heldByACell(double volts) {
    constexpr double kSlack = 1e-9; // "5.10" as typed against 5.10 as computed
    return volts >= units::mapCellVolts(0) - kSlack && volts <= units::mapCellVolts(255) + kSlack;
}

// The one operation the options name; a usage line on err and nothing when they name none,
// several, or one with a value that is not a number.
std::optional<BlockOperation> operationOf(const CliOptions& options, CliIo& io) {
    std::vector<BlockOperation> named;
    for (const NumberOption& option : kNumberOptions) {
        const std::optional<std::string>& text = options.*(option.text);
        if (!text) {
            continue;
        }
        const std::optional<double> value = parseDecimal(*text);
        if (!value) {
            usageError(io, say(texts::kCliBadValue, {*text}));
            return std::nullopt;
        }
        if (option.cellVolts && !heldByACell(*value)) {
            const std::string range =
                fixed(units::mapCellVolts(0), 2) + ".." + fixed(units::mapCellVolts(255), 2);
            usageError(io, say(texts::kCliOutOfRange, {*text, range}));
            return std::nullopt;
        }
        named.push_back([operation = option.operation, number = *value](const MapCells& cells,
                                                                        const Block& block) {
            return operation(cells, block, number);
        });
    }
    if (options.interpolate) {
        const auto kind = kInterpolations.find(*options.interpolate);
        if (kind == kInterpolations.end()) {
            usageError(io, say(texts::kCliBadValue, {*options.interpolate}));
            return std::nullopt;
        }
        named.push_back([kind = kind->second](const MapCells& cells, const Block& block) {
            return interpolate(cells, block, kind);
        });
    }
    if (options.smooth) {
        named.push_back(smooth);
    }
    if (named.size() != 1) {
        usageError(io, say(texts::kCliOneOperation));
        return std::nullopt;
    }
    return named.front();
}

// The whole request checked before the controller is looked for: a script that typed a block
// wrong must not half-run.
std::optional<Edit> editOf(const CliOptions& options, CliIo& io) {
    if (!options.block) {
        usageError(io, say(texts::kCliMissingOption, {"--block"}));
        return std::nullopt;
    }
    const std::optional<Block> block = parseBlock(*options.block);
    if (!block) {
        usageError(io, say(texts::kCliBadBlock, {*options.block}));
        return std::nullopt;
    }
    std::optional<BlockOperation> operation = operationOf(options, io);
    if (!operation) {
        return std::nullopt;
    }
    return Edit{*block, std::move(*operation)};
}

} // namespace

int runEdit(const CliOptions& options, CliIo& io) {
    const std::optional<Edit> edit = editOf(options, io);
    if (!edit) {
        return kExitUsage;
    }
    Session session(options, io);
    if (!session.connect()) {
        return kExitFailed;
    }
    return session.guarded(u"krv-cli edit", [&] {
        WholeWrite whole(io);
        const std::optional<MapSnapshot> read = session.readControllerState();
        if (!read) {
            return kExitFailed;
        }
        const MapSnapshot& held = *read;
        const BlockResult result = edit->operation(held.cells, edit->block);
        MapSnapshot target = held;
        target.cells = result.cells;
        if (!result.saturated.empty()) {
            io.err << say(texts::kSaturatedCells, {cellNames(result.saturated)}) << std::endl;
        }
        if (options.dryRun) {
            printChanges(io.out, held, target);
            return kExitDone;
        }
        if (target == held) {
            return kExitDone; // nothing to write, so no backup and no store either
        }
        if (const auto stopped = whole.stopBeforeWriting()) {
            return *stopped;
        }
        return whole.finish(writeBackedUp(session, "edit", held, target, WriteKind::Cells),
                            say(texts::kCliHoldsEditedBlock, {*options.block}));
    });
}

} // namespace krv::cli
