#include "bench/support/paced_controller.h"

#include <cerrno>
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
    char pattern[] = "/tmp/krv-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    path_ = pattern;
    ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
}

CTemporarySettingsFolder::~CTemporarySettingsFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace krv::bench
