#include "cli/whole_write.h"

#include "cli/cli_text.h"
#include "lang/program_texts.h"

namespace krv::cli {

std::optional<int> WholeWrite::stopBeforeWriting() {
    if (!stopRequest()) {
        return std::nullopt;
    }
    io_.err << say(texts::kCliStoppedNothingWritten) << std::endl;
    return stoppedExitCode();
}

int WholeWrite::finish(int code, const std::string& holds) {
    if (!stopRequest()) {
        return code;
    }
    io_.err << say(texts::kCliStoppedAfterWrite) << '\n';
    if (code == kExitDone) {
        io_.err << holds << '\n';
    }
    io_.err << std::flush;
    return code == kExitDone ? stoppedExitCode() : code;
}

} // namespace krv::cli
