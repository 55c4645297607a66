#pragma once
// The command line of krv-sim.

#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"

#include <optional>
#include <string>

namespace krv::sim {

struct SimOptions {
    std::optional<std::string> link;
    unsigned baud = 0;
    uint32_t seed = 0;
    bool seeded = false;
    FaultOptions faults;
    // The controller behind the wire.
    bool bootloader = false;
    std::optional<std::string> stateFile;
    bool sampleMap = false;
    ControllerKnobs knobs;
};

inline constexpr const char* kUsage =
    "usage: krv-sim [--link PATH] [--baud N] [--seed N] [fault options]\n"
    "  --link PATH        link PATH to the pseudo-terminal (point KRV_PORTS at it)\n"
    "  --baud N           pace both directions like an 8N1 wire of N baud (0: no pacing)\n"
    "  --seed N           seed of the reply keys and of the faults\n"
    "faults take RATE: a probability below 1 (0.05) or a whole N for every Nth reply:\n"
    "  --corrupt RATE     flip a bit of the reply\n"
    "  --drop RATE        send no reply\n"
    "  --split RATE       send the reply in two writes 20 ms apart\n"
    "  --stray RATE       put 1 to 3 stray bytes before the reply\n"
    "  --wrong-type RATE  answer with another frame type\n"
    "  --silent-after N --silent-for MS   after N requests answer nothing for MS ms\n"
    "  --replug-after N   every Nth request closes the terminal and opens a new one\n"
    "the controller:\n"
    "  --bootloader       start in the bootloader instead of the application\n"
    "  --state FILE       keep FILE up to date with the controller's state (JSON)\n"
    "  --sample-map       start with a calibrated car's map and axes instead of an empty map\n"
    "  --type N           controller type in identify and version replies (17)\n"
    "  --word N           identify's word (85 = 0x0055: readings enabled)\n"
    "  --boot-identify N  identify's status byte while in the bootloader (5)\n"
    "  --version N        firmware version (256)\n"
    "  --boot-state N     state the bootloader reports (247 = 0xF7: ready)\n"
    "  --gas              the emulation works on gas (workState 3) instead of petrol (2)\n"
    "  --refuse-writes    answer reads, refuse every write of settings, axes or map\n";

// Fills options from argv; on a bad argument writes why to error and returns false. --help
// returns false with an empty error.
bool parseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);

} // namespace krv::sim
