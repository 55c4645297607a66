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
    std::optional<std::string> seconds;
    std::optional<std::string> csv;
    std::optional<std::string> map;
    std::optional<std::string> out;
    std::optional<std::string> minHits;
};

// Options may stand anywhere; "--name=value" and "--name value" both work, and "--" ends
// them. A fault gives nothing and the usage message (already translated) in error.
std::optional<CliOptions> parseOptions(const std::vector<std::string>& args, std::string& error);

} // namespace krv::cli
