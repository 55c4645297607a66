// convert: a readings log (from log or the chart's recording) as MSL text for other log viewers.
// No controller is looked for.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "lang/program_texts.h"
#include "platform/atomic_file.h"
#include "readings_log/msl_text.h"
#include "readings_log/readings_log.h"

#include <filesystem>

namespace krv::cli {

int runConvert(const CliOptions& options, CliIo& io) {
    const std::string& logPath = options.operands[0];
    const std::string& mslPath = options.operands[1];
    const ReadingsLogRead read = readReadingsLog(logPath);
    if (!read.ok()) {
        io.err << logPath << ": " << read.error << std::endl;
        return kExitFailed;
    }
    const std::string text = formatMsl(*read.log);
    if (mslPath == "-") {
        io.out << text << std::flush;
        return kExitDone;
    }
    // Written in its place, the recording would be gone.
    std::error_code unknown;
    if (std::filesystem::equivalent(logPath, mslPath, unknown)) {
        io.err << say(texts::kCliConvertOntoLog, {mslPath}) << std::endl;
        return kExitFailed;
    }
    if (!replaceFileAtomically(mslPath, text)) {
        io.err << say(texts::kCannotWriteFile, {mslPath}) << std::endl;
        return kExitFailed;
    }
    return kExitDone;
}

} // namespace krv::cli
