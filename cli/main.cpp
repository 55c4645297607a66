// krv-cli: the controller's commands for scripts (krv-cli --help).

#include "cli/cli.h"
#include "lang/language_setup.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    krv::initLanguage();
    krv::cli::CliIo io{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1, STDIN_FILENO};
    const int code = krv::cli::runCli(std::vector<std::string>(argv + 1, argv + argc), io);
    krv::closeLanguageFiles();
    return code;
}
