#include "cli/whole_write.h"

#include "cli/cli_text.h"
#include "lang/program_texts.h"

namespace krv::cli {

namespace {

// As a shell reports a program ended by the signal.
int stoppedCode() {
    return kExitStoppedBase + (stopSignal() != 0 ? stopSignal() : SIGINT);
}

} // namespace

std::optional<int> WholeWrite::stopBeforeWriting() {
    if (!stopRequest()) {
        return std::nullopt;
    }
    io_.err << say(texts::kCliStoppedNothingWritten) << std::endl;
    return stoppedCode();
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
    return code == kExitDone ? stoppedCode() : code;
}

} // namespace krv::cli
