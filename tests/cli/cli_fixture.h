#pragma once
// krv-cli run in-process against simulated controllers on pseudo-terminals listed in
// KRV_PORTS, with the settings file and the map backups in a temporary XDG_CONFIG_HOME and
// XDG_DATA_HOME. Texts are the built-in
// Polish ones (no language files are opened in-process).

#include "cli/cli.h"
#include "tests/connection/connection_fixture.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace krv::test {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

class CliTest : public ConnectionTest {
protected:
    // Port 1 with a controller behind it, published; most tests need just that.
    void SetUp() override;
    void TearDown() override;

    // keys: the command's stdin (none by default).
    CliRun cli(const std::vector<std::string>& args, int keys = -1);
    SimulatedPort& port() { return *ports_.front(); }
    sim::CController& controller() { return port().handler.controller; }
    std::string backupsFolder() const { return directory_ + "/data/Morvelcast/backups"; }
    // Requests of one frame type the controller of port 1 received.
    size_t requestsOfType(uint8_t type) const;

    // Raises signal in this process, as Ctrl+C or a kill would, when the controller of port 1
    // receives the occurrence-th request that matches, before it answers. Until the test ends
    // a signal that no command holds is counted (unheldSignals) instead of ending the test.
    void signalAt(int signal, std::function<bool(const sim::Frame&)> matches, int occurrence = 1);
    static int unheldSignals();

private:
    bool signalsCaught_ = false;
    struct sigaction previous_[2] = {};
};

// A request that is the command operation given (frame type 2, payload byte 0).
bool isOperation(const sim::Frame& request, uint8_t operation);

} // namespace krv::test
