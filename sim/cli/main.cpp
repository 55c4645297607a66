// krv-sim: the controller on a pseudo-terminal, until SIGINT or SIGTERM.

#include "sim/cli/options.h"
#include "sim/controller/sample_map.h"
#include "sim/wire/simulator.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <system_error>

namespace {

std::unique_ptr<krv::sim::ICommandHandler> makeHandler(const krv::sim::SimOptions& options) {
    using krv::sim::ControllerMode;
    auto controller = std::make_unique<krv::sim::CController>(
        options.bootloader ? ControllerMode::Bootloader : ControllerMode::Application);
    controller->setKnobs(options.knobs);
    if (options.sampleMap) {
        const krv::sim::MapAndAxes sample = krv::sim::sampleMap();
        controller->setAxes(sample.rowAxis, sample.columnAxis);
        controller->setMap(sample.map);
    }
    if (options.stateFile) {
        controller->setStateFile(*options.stateFile);
    }
    return controller;
}

int serve(const krv::sim::SimOptions& options, krv::sim::ICommandHandler& handler) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    // Blocked before the serving thread starts, so only sigwait below receives them.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    krv::sim::CSimulator simulator(handler);
    simulator.setBaud(options.baud);
    simulator.setFaults(options.faults);
    if (options.seeded) {
        simulator.setSeed(options.seed);
    }
    try {
        simulator.start(options.link);
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "krv-sim: %s\n", error.what());
        return 1;
    }
    std::printf("krv-sim: controller on %s (%s)\n", simulator.portPath().c_str(),
                simulator.slavePath().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    simulator.stop();
    const krv::sim::WireCounters counters = simulator.counters();
    std::printf("krv-sim: %llu frames received, %llu accepted, %llu rejected\n",
                static_cast<unsigned long long>(counters.received),
                static_cast<unsigned long long>(counters.accepted),
                static_cast<unsigned long long>(counters.rejected));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    krv::sim::SimOptions options;
    std::string error;
    if (!krv::sim::parseSimOptions(argc, argv, options, error)) {
        if (error.empty()) {
            std::fputs(krv::sim::kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "krv-sim: %s\n%s", error.c_str(), krv::sim::kUsage);
        return 2;
    }
    const std::unique_ptr<krv::sim::ICommandHandler> handler = makeHandler(options);
    return serve(options, *handler);
}
