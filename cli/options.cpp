#include "cli/options.h"

#include "cli/cli_text.h"
#include "lang/program_texts.h"

#include <map>

namespace krv::cli {

namespace {

using Flag = bool CliOptions::*;
using Value = std::optional<std::string> CliOptions::*;

const std::map<std::string, Flag, std::less<>> kFlags = {
    {"--demo", &CliOptions::demo},       {"--quiet", &CliOptions::quiet},
    {"--help", &CliOptions::help},       {"-h", &CliOptions::help},
    {"--version", &CliOptions::version}, {"--probe", &CliOptions::probe},
    {"--dry-run", &CliOptions::dryRun},  {"--yes", &CliOptions::yes},
    {"--force", &CliOptions::force},     {"--smooth", &CliOptions::smooth},
};

const std::map<std::string, Value, std::less<>> kValues = {
    {"--port", &CliOptions::port},
    {"--seconds", &CliOptions::seconds},
    {"--csv", &CliOptions::csv},
    {"--block", &CliOptions::block},
    {"--set", &CliOptions::setVolts},
    {"--add", &CliOptions::addVolts},
    {"--scale", &CliOptions::scalePercent},
    {"--map", &CliOptions::map},
    {"--out", &CliOptions::out},
    {"--min-hits", &CliOptions::minHits},
    {"--car", &CliOptions::car},
    {"--vin", &CliOptions::vin},
    {"--make", &CliOptions::make},
    {"--model", &CliOptions::model},
    {"--year", &CliOptions::year},
    {"--engine", &CliOptions::engine},
    {"--lpg-kit", &CliOptions::lpgKit},
    {"--customer", &CliOptions::customer},
    {"--phone", &CliOptions::phone},
    {"--notes", &CliOptions::notes},
};

struct OptionalValue {
    Value member;
    std::string_view bare; // the value when none is written
};

const std::map<std::string, OptionalValue, std::less<>> kOptionalValues = {
    {"--interpolate", {&CliOptions::interpolate, "bilinear"}},
};

} // namespace

std::optional<CliOptions> parseOptions(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-" alone is an operand: standard input or output.
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            (options.command.empty() ? options.command : options.operands.emplace_back()) = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (const auto flag = kFlags.find(name);
            flag != kFlags.end() && equals == std::string::npos) {
            options.*(flag->second) = true;
        } else if (const auto optional = kOptionalValues.find(name);
                   optional != kOptionalValues.end()) {
            options.*(optional->second.member) = equals == std::string::npos
                                                     ? std::string(optional->second.bare)
                                                     : arg.substr(equals + 1);
        } else if (const auto value = kValues.find(name); value != kValues.end()) {
            if (equals != std::string::npos) {
                options.*(value->second) = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                options.*(value->second) = args[++i];
            } else {
                error = say(texts::kOptionNeedsValue, {name});
                return std::nullopt;
            }
        } else {
            error = say(texts::kUnknownOption, {arg});
            return std::nullopt;
        }
        options.given.push_back(name == "-h" ? "--help" : name);
    }
    return options;
}

} // namespace krv::cli
