#include "tests/cli/cli_fixture.h"

#include <sstream>

namespace krv::test {

void CliTest::SetUp() {
    ConnectionTest::SetUp();
    if (IsSkipped()) {
        return;
    }
    ::setenv("XDG_DATA_HOME", (directory_ + "/data").c_str(), 1);
    addPort();
    publishPorts();
}

void CliTest::TearDown() {
    ::unsetenv("XDG_DATA_HOME");
}

CliRun CliTest::cli(const std::vector<std::string>& args, int keys) {
    std::ostringstream out;
    std::ostringstream err;
    cli::CliIo io{out, err, false, keys};
    CliRun run;
    run.code = cli::runCli(args, io);
    run.out = out.str();
    run.err = err.str();
    return run;
}

size_t CliTest::requestsOfType(uint8_t type) const {
    return ports_.front()->handler.controller.requests(type).size();
}

} // namespace krv::test
