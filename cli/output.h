#pragma once
// Every result a command gives leaves through here, so that an output that took nothing (a
// full disk, a closed stdout) is never reported as success, and each failure names its reason.

#include "cli/cli.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace krv::cli {

// The command's exit code once out has been flushed: when out failed, a line with the reason
// goes to err and a success becomes kExitFailed (a failure or a stop keeps its own code).
int finishOutput(CliIo& io, int code);

// text as a result: to out for "-", else to the file target, replaced whole. A target that is
// one of inputs (the files the command reads; also through "./", a link or a hard link) is
// refused untouched. Ctrl+C or SIGTERM during the write drops it: the target stays as it was,
// no temporary file is left, and the stop's code is returned.
int writeResult(CliIo& io, const std::string& target, std::string_view text,
                std::initializer_list<std::string_view> inputs);

// True, after the line that says so, when target is one of inputs (so the command is refused
// before it has done anything).
bool refusedAsOutput(CliIo& io, const std::string& target,
                     std::initializer_list<std::string_view> inputs);

// "Cannot write the file PATH: <the system's reason>".
std::string cannotWrite(const std::string& path, int error);

} // namespace krv::cli
