#include "cli/cli.h"

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "connection/port_choice.h"
#include "lang/program_texts.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>

namespace krv::cli {

namespace {

constexpr std::string_view kProgram = "krv-cli";
constexpr std::string_view kVersion = "1.12";

struct OptionHelp {
    std::string_view synopsis;
    std::u16string_view summary;
};

const OptionHelp kGlobalOptions[] = {
    {"--port PATH|N", texts::kCliHelpPort}, {"--demo", texts::kCliHelpDemo},
    {"--quiet", texts::kCliHelpQuiet},      {"--help", texts::kCliHelpHelp},
    {"--version", texts::kCliHelpVersion},
};

const OptionHelp kCommandOptions[] = {
    {"--probe", texts::kCliHelpProbe},
    {"--dry-run", texts::kCliHelpDryRun},
    {"--yes", texts::kCliHelpYes},
    {"--seconds N", texts::kCliHelpSeconds},
    {"--csv FILE|-", texts::kCliHelpCsv},
    {"--block R1:C1-R2:C2", texts::kCliHelpBlock},
    {"--set V", texts::kCliHelpSetValue},
    {"--add V", texts::kCliHelpAdd},
    {"--scale PCT", texts::kCliHelpScale},
    {"--interpolate[=bilinear|rows|columns]", texts::kCliHelpInterpolate},
    {"--smooth", texts::kCliHelpSmooth},
    {"--force", texts::kCliHelpForce},
    {"--map FILE", texts::kCliHelpMapFile},
    {"--out FILE", texts::kCliHelpOut},
    {"--min-hits N", texts::kCliHelpMinHits},
    {"--car PLATE", texts::kCliHelpCarOption},
    {"--vin, --make, --model, --year, --engine, --lpg-kit, --customer, --phone, --notes TEXT",
     texts::kCliHelpCarDetails},
};

constexpr std::string_view kGlobalNames[] = {"--port", "--demo", "--quiet", "--help", "--version"};

std::string padded(std::string_view text, size_t width) {
    std::string line(text);
    line.resize(std::max(width, line.size() + 2), ' ');
    return line;
}

void printOption(CliIo& io, const OptionHelp& option) {
    // A synopsis too long for its column gets a line of its own.
    const bool own = option.synopsis.size() > 40;
    io.out << "  " << padded(option.synopsis, 16) << (own ? "\n" + std::string(20, ' ') : "")
           << say(option.summary) << '\n';
}

void printHelp(CliIo& io, const Command* only) {
    io.out << say(texts::kCliUsage) << "\n\n" << say(texts::kCliCommandsHeading) << '\n';
    for (const Command& command : commands()) {
        if (only == nullptr || only == &command) {
            io.out << "  " << padded(command.synopsis, 40) << say(command.summary) << '\n';
        }
    }
    io.out << '\n' << say(texts::kCliOptionsHeading) << '\n';
    for (const OptionHelp& option : kGlobalOptions) {
        printOption(io, option);
    }
    for (const OptionHelp& option : kCommandOptions) {
        const std::string_view name =
            option.synopsis.substr(0, option.synopsis.find_first_of(" [,"));
        if (only == nullptr ||
            std::ranges::find(only->ownOptions, name) != only->ownOptions.end()) {
            printOption(io, option);
        }
    }
}

bool accepts(const Command& command, std::string_view option) {
    return std::ranges::find(kGlobalNames, option) != std::end(kGlobalNames) ||
           std::ranges::find(command.ownOptions, option) != command.ownOptions.end();
}

} // namespace

int usageError(CliIo& io, const std::string& line) {
    io.err << line << '\n' << say(texts::kCliUsage) << std::endl;
    return kExitUsage;
}

namespace {

int runCommand(const std::vector<std::string>& args, CliIo& io) {
    std::string error;
    const std::optional<CliOptions> options = parseOptions(args, error);
    if (!options) {
        return usageError(io, error);
    }
    if (options->version) {
        io.out << kProgram << ' ' << kVersion << std::endl;
        return kExitDone;
    }
    const auto command = std::ranges::find(commands(), options->command, &Command::name);
    if (options->help) {
        printHelp(io, command != commands().end() ? &*command : nullptr);
        return kExitDone;
    }
    if (options->command.empty()) {
        return usageError(io, say(texts::kCliMissingCommand));
    }
    if (command == commands().end()) {
        return usageError(io, say(texts::kCliUnknownCommand, {options->command}));
    }
    for (const std::string& option : options->given) {
        if (!accepts(*command, option)) {
            return usageError(io, say(texts::kUnknownOption, {option}));
        }
    }
    if (options->operands.size() < command->minOperands ||
        options->operands.size() > command->maxOperands) {
        return usageError(io, say(texts::kCliBadArguments, {command->name}));
    }
    // A port the table cannot give is the user's slip, said as such before anything is done.
    if (options->port && !options->demo) {
        std::u16string reason;
        if (options->port->empty()) {
            return usageError(io, say(texts::kOptionNeedsValue, {"--port"}));
        }
        if (!startChoiceForPort(*options->port, reason)) {
            return usageError(io, toUtf8(reason));
        }
    }
    return command->run(*options, io);
}

} // namespace

int runCli(const std::vector<std::string>& args, CliIo& io) {
    // Every command's output is checked here, so a new one cannot forget it.
    return finishOutput(io, runCommand(args, io));
}

std::span<const Command> commands() {
    static const Command table[] = {
        {"ports", "ports [--probe]", texts::kCliHelpPorts, {"--probe"}, 0, 0, runPorts},
        {"info", "info", texts::kCliHelpInfo, {}, 0, 0, runInfo},
        {"set",
         "set rpm-divider=N noise-delta=N noise-period=N [--car PLATE [--yes]]",
         texts::kCliHelpSet,
         {"--car", "--yes"},
         1,
         3,
         runSet},
        {"read-map",
         "read-map FILE|- [--car PLATE]",
         texts::kCliHelpReadMap,
         {"--car"},
         1,
         1,
         runReadMap},
        {"write-map",
         "write-map FILE [--dry-run] [--force] [--car PLATE [--yes]]",
         texts::kCliHelpWriteMap,
         {"--dry-run", "--force", "--car", "--yes"},
         1,
         1,
         runWriteMap},
        {"clear-map",
         "clear-map [--car PLATE [--yes]]",
         texts::kCliHelpClearMap,
         {"--car", "--yes"},
         0,
         0,
         runClearMap},
        {"edit",
         "edit --block R1:C1-R2:C2 OPERATION [--dry-run] [--car PLATE [--yes]]",
         texts::kCliHelpEdit,
         {"--block", "--set", "--add", "--scale", "--interpolate", "--smooth", "--dry-run", "--car",
          "--yes"},
         0,
         0,
         runEdit},
        {"flash",
         "flash FILE.afm [--yes] [--car PLATE]",
         texts::kCliHelpFlash,
         {"--yes", "--car"},
         1,
         1,
         runFlash},
        {"log",
         "log [--seconds N] [--csv FILE|-] [--car PLATE]",
         texts::kCliHelpLog,
         {"--seconds", "--csv", "--car"},
         0,
         0,
         runLog},
        {"calibrate",
         "calibrate LOG.csv [--map FILE] [--out FILE|-] [--min-hits N] [--force] [--car PLATE]",
         texts::kCliHelpCalibrate,
         {"--map", "--out", "--min-hits", "--force", "--car"},
         1,
         1,
         runCalibrate},
        {"convert", "convert LOG.csv OUT.msl|-", texts::kCliHelpConvert, {}, 2, 2, runConvert},
        {"car",
         "car add|list|show|which|restore ...",
         texts::kCliHelpCar,
         {"--vin", "--make", "--model", "--year", "--engine", "--lpg-kit", "--customer", "--phone",
          "--notes", "--yes"},
         1,
         3,
         runCar},
    };
    return table;
}

} // namespace krv::cli
