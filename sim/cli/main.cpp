// krv-sim: the controller on a pseudo-terminal, until SIGINT or SIGTERM.

#include "platform/atomic_file.h"
#include "sim/cli/ideal_map_file.h"
#include "sim/cli/options.h"
#include "sim/controller/petrol_drive.h"
#include "sim/controller/sample_map.h"
#include "sim/wire/simulator.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <system_error>

namespace {

// Null, with the reason on stderr, when the controller cannot be set up as asked.
std::unique_ptr<krv::sim::ICommandHandler> makeHandler(const krv::sim::SimOptions& options) {
    using krv::sim::ControllerMode;
    auto controller = std::make_unique<krv::sim::CController>(
        options.bootloader ? ControllerMode::Bootloader : ControllerMode::Application);
    controller->setKnobs(options.knobs);
    const krv::sim::MapAndAxes sample = krv::sim::sampleMap();
    if (options.sampleMap || options.petrolDrive) {
        // A car on its first calibration drive has its axes set up and an empty map.
        controller->setAxes(sample.rowAxis, sample.columnAxis);
    }
    if (options.sampleMap) {
        controller->setMap(sample.map);
    }
    if (options.petrolDrive) {
        auto drive = std::make_shared<const krv::sim::PetrolDrive>(options.drive);
        if (options.idealMap &&
            !krv::replaceFileAtomically(*options.idealMap,
                                        krv::sim::idealMapFile(*drive, controller->state()))) {
            std::fprintf(stderr, "krv-sim: cannot write %s\n", options.idealMap->c_str());
            return nullptr;
        }
        controller->setDrive(std::move(drive));
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
    if (!handler) {
        return 1;
    }
    return serve(options, *handler);
}
