// krv-cli: the controller's commands for scripts (krv-cli --help).

#include "cli/cli.h"
#include "lang/language_setup.h"
#include "platform/fd_output.h"

#include <cerrno>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace {

// A closed standard stream would be taken by the next file opened, the serial port among them,
// and what was meant for it would go there. Each is held by /dev/null opened for reading, on
// which a write fails as it would on the closed stream.
void holdClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            ::open("/dev/null", O_RDONLY); // the lowest free number: this one
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    holdClosedStandardStreams();
    krv::initLanguage();
    // Results go through a buffer that keeps why a write failed (a full disk, a closed stdout).
    krv::FdOutputBuffer outBuffer(STDOUT_FILENO);
    std::ostream out(&outBuffer);
    krv::cli::CliIo io{out, std::cerr, ::isatty(STDERR_FILENO) == 1, STDIN_FILENO};
    const int code = krv::cli::runCli(std::vector<std::string>(argv + 1, argv + argc), io);
    krv::closeLanguageFiles();
    return code;
}
