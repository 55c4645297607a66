#include "cli/output.h"

#include "cli/cli_text.h"
#include "cli/stop_request.h"
#include "lang/program_texts.h"
#include "platform/atomic_file.h"
#include "platform/fd_output.h"

#include <cstring>
#include <filesystem>

namespace krv::cli {

namespace {

int writeFile(CliIo& io, const std::string& target, std::string_view text) {
    const StopOnSignals stops;
    AtomicFileWrite file(target);
    if (!file.write(text) || stopRequest() || !file.sync() || stopRequest() || !file.commit()) {
        if (stopRequest()) {
            // The temporary file goes with `file`; the target was never touched.
            io.err << say(texts::kCliStoppedFileNotWritten, {target}) << std::endl;
            return stoppedExitCode();
        }
        io.err << cannotWrite(target, file.error()) << std::endl;
        return kExitFailed;
    }
    return kExitDone;
}

} // namespace

std::string cannotWrite(const std::string& path, int error) {
    return say(texts::kCannotWriteFile, {path}) + ": " + std::strerror(error);
}

bool refusedAsOutput(CliIo& io, const std::string& target,
                     std::initializer_list<std::string_view> inputs) {
    for (std::string_view input : inputs) {
        // The same file under any name: "./", a link, a hard link.
        std::error_code unknown;
        if (target != "-" && std::filesystem::equivalent(std::string(input), target, unknown)) {
            io.err << say(texts::kCliOutputIsInput, {target}) << std::endl;
            return true;
        }
    }
    return false;
}

int finishOutput(CliIo& io, int code) {
    io.out.flush();
    if (io.out) {
        return code;
    }
    io.err << say(texts::kCliCannotWriteOutput, {std::strerror(outputError(io.out))}) << std::endl;
    return code == kExitDone ? kExitFailed : code;
}

int writeResult(CliIo& io, const std::string& target, std::string_view text,
                std::initializer_list<std::string_view> inputs) {
    if (target == "-") {
        // Checked here too, so the command's next step knows of it; the reason is said once,
        // by finishOutput at the command's end.
        io.out << text << std::flush;
        return io.out ? kExitDone : kExitFailed;
    }
    return refusedAsOutput(io, target, inputs) ? kExitFailed : writeFile(io, target, text);
}

} // namespace krv::cli
