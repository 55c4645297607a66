#pragma once
// The command line as parsed: global options, one command, its operands and its own options.

#include <optional>
#include <string>
#include <vector>

namespace krv::cli {

struct CliOptions {
    std::string command;
    std::vector<std::string> operands;
    std::vector<std::string> given; // every option named, as written ("--port", "--yes", ...)
    std::optional<std::string> port;
    bool demo = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool probe = false;
    bool dryRun = false;
    bool yes = false;
    bool force = false;
    std::optional<std::string> seconds;
    std::optional<std::string> csv;
    // edit: the block and its one operation.
    std::optional<std::string> block;
    std::optional<std::string> setVolts;
    std::optional<std::string> addVolts;
    std::optional<std::string> scalePercent;
    std::optional<std::string> interpolate; // "bilinear" when given without a value
    bool smooth = false;
    std::optional<std::string> map;
    std::optional<std::string> out;
    std::optional<std::string> minHits;
    // The register of cars: the car a command records under, and car add's details.
    std::optional<std::string> car;
    std::optional<std::string> vin;
    std::optional<std::string> make;
    std::optional<std::string> model;
    std::optional<std::string> year;
    std::optional<std::string> engine;
    std::optional<std::string> lpgKit;
    std::optional<std::string> customer;
    std::optional<std::string> phone;
    std::optional<std::string> notes;
};

// Options may stand anywhere; "--name=value" and "--name value" both work (an option whose
// value may be left out takes it only as "--name=value"), and "--" ends them. A fault gives nothing
// and the usage message (already translated) in error.
std::optional<CliOptions> parseOptions(const std::vector<std::string>& args, std::string& error);

} // namespace krv::cli
