#include "tests/cli/cli_fixture.h"

#include "device/protocol_codes.h"

#include <atomic>
#include <memory>
#include <sstream>

namespace krv::test {

namespace {

std::atomic<int> unheld{0};
constexpr int kCaught[] = {SIGINT, SIGTERM};

extern "C" void countUnheld(int) {
    ++unheld;
}

} // namespace

bool isOperation(const sim::Frame& request, uint8_t operation) {
    return request.type == protocol::kCommandFrame && !request.payload.empty() &&
           request.payload[0] == operation;
}

void CliTest::signalAt(int signal, std::function<bool(const sim::Frame&)> matches, int occurrence) {
    if (!signalsCaught_) {
        signalsCaught_ = true;
        unheld = 0;
        struct sigaction action {};
        action.sa_handler = countUnheld;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < std::size(kCaught); ++i) {
            sigaction(kCaught[i], &action, &previous_[i]);
        }
    }
    auto seen = std::make_shared<int>(0);
    port().handler.onRequest([=](const sim::Frame& request) {
        if (matches(request) && ++*seen == occurrence) {
            ::raise(signal);
        }
    });
}

int CliTest::unheldSignals() {
    return unheld;
}

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
    if (signalsCaught_) {
        if (!ports_.empty()) {
            port().handler.onRequest({});
        }
        for (size_t i = 0; i < std::size(kCaught); ++i) {
            sigaction(kCaught[i], &previous_[i], nullptr);
        }
    }
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
