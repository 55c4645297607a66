#pragma once
// krv-cli run in-process against simulated controllers on pseudo-terminals listed in
// KRV_PORTS, with the settings file and the map backups in a temporary XDG_CONFIG_HOME and
// XDG_DATA_HOME. Texts are the built-in
// Polish ones (no language files are opened in-process).

#include "cli/cli.h"
#include "tests/connection/connection_fixture.h"

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
};

} // namespace krv::test
