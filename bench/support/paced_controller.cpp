#include "bench/support/paced_controller.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace krv::bench {

CPacedController::CPacedController(sim::ControllerMode mode)
    : controller(mode), simulator(controller) {
    simulator.setBaud(kBaud);
}

bool CPacedController::start() {
    try {
        simulator.start();
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", error.what());
        return false;
    }
    ::setenv("KRV_PORTS", simulator.slavePath().c_str(), 1);
    return true;
}

CTemporarySettingsFolder::CTemporarySettingsFolder() {
    ::setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
}

} // namespace krv::bench
