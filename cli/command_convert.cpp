// convert: a readings log (from log or the chart's recording) as MSL text for other log viewers.
// No controller is looked for.

#include "cli/commands.h"
#include "cli/output.h"
#include "readings_log/msl_text.h"
#include "readings_log/readings_log.h"

namespace krv::cli {

int runConvert(const CliOptions& options, CliIo& io) {
    const std::string& logPath = options.operands[0];
    const ReadingsLogRead read = readReadingsLog(logPath);
    if (!read.ok()) {
        io.err << read.error << std::endl;
        return kExitFailed;
    }
    // Written in the log's place, the recording would be gone.
    return writeResult(io, options.operands[1], formatMsl(*read.log), {logPath});
}

} // namespace krv::cli
