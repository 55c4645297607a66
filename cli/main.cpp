// krv-cli: the controller's commands for scripts (krv-cli --help).

#include "cli/cli.h"
#include "lang/language_setup.h"
#include "platform/fd_output.h"
#include "platform/standard_streams.h"

#include <iostream>

int main(int argc, char** argv) {
    krv::holdClosedStandardStreams();
    krv::initLanguage();
    // Results go through a buffer that keeps why a write failed (a full disk, a closed stdout).
    krv::FdOutputBuffer outBuffer(krv::kStandardOutput);
    std::ostream out(&outBuffer);
    krv::cli::CliIo io{out, std::cerr, krv::standardErrorIsTerminal(), krv::kStandardInput};
    const int code = krv::cli::runCli(std::vector<std::string>(argv + 1, argv + argc), io);
    krv::closeLanguageFiles();
    return code;
}
