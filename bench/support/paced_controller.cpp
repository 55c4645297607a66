#include "bench/support/paced_controller.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace krv::bench {

std::optional<sim::Frame> CWireTally::handle(const sim::Frame& request) {
    std::optional<sim::Frame> reply = controller_.handle(request);
    bytes_ += frameBytes(request.payload.size()) + (reply ? frameBytes(reply->payload.size()) : 0);
    return reply;
}

CPacedController::CPacedController(sim::ControllerMode mode) : controller(mode), simulator(tally) {
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
