#pragma once
// The command line of krv-sim.

#include "sim/controller/controller.h"
#include "sim/controller/petrol_drive.h"
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
    // The engine follows a calibration drive on petrol instead of the 16-second cycle.
    bool petrolDrive = false;
    DriveOptions drive;                  // its seed is --seed when given
    std::optional<std::string> idealMap; // the drive's ideal map, written as a map file
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
    "  --refuse-writes    answer reads, refuse every write of settings, axes or map\n"
    "the petrol drive (a calibration drive: 24 holds over the map joined by ramps and load\n"
    "steps, about 4 minutes, repeated; starts with the sample map's axes and an empty map\n"
    "unless --sample-map):\n"
    "  --drive            drive it; the options below need it\n"
    "  --lag S            the input sensor's lag, time constant in seconds (0.3)\n"
    "  --overshoot F      the input swings past a load step by F of the step (0.2)\n"
    "  --noise V          the input's noise, standard deviation in volts (0.015)\n"
    "  --dropouts RATE    share of readings whose input drops to 0 V (0.005)\n"
    "  --spikes RATE      share of readings whose input is 0.2 to 1 V off (0.005)\n"
    "  --ideal-map FILE   write the drive's ideal map as a map file: per cell held a second\n"
    "                     or more, the true input averaged over the holds' steady parts\n";

// Fills options from argv; on a bad argument writes why to error and returns false. --help
// returns false with an empty error.
bool parseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);

} // namespace krv::sim
