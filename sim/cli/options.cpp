#include "sim/cli/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string_view>

namespace krv::sim {
namespace {

bool parseUnsigned(const char* text, unsigned long long max, unsigned long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && text[0] != '-' && value <= max;
}

bool parseRate(const char* text, FaultRate& rate) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= 0)) {
        return false;
    }
    if (value < 1) {
        rate.probability = value;
        return true;
    }
    if (value != std::floor(value) || value > 1e9) {
        return false;
    }
    rate.every = static_cast<unsigned>(value);
    return true;
}

bool parseFraction(const char* text, double highest, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0' && value >= 0 && value <= highest;
}

// The petrol drive's sensor: each option with the largest value it takes.
struct SensorOption {
    double DriveOptions::*field;
    double highest;
};
const std::map<std::string_view, SensorOption> kSensorOptions{
    {"--lag", {&DriveOptions::lagSeconds, 10}},  {"--overshoot", {&DriveOptions::overshoot, 2}},
    {"--noise", {&DriveOptions::noiseVolts, 1}}, {"--dropouts", {&DriveOptions::dropoutRate, 1}},
    {"--spikes", {&DriveOptions::spikeRate, 1}},
};

} // namespace

bool parseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    bool driveTuned = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help") {
            error.clear();
            return false;
        }
        bool* const flag = name == "--bootloader"      ? &options.bootloader
                           : name == "--gas"           ? &options.knobs.onGas
                           : name == "--refuse-writes" ? &options.knobs.refuseWrites
                           : name == "--sample-map"    ? &options.sampleMap
                           : name == "--drive"         ? &options.petrolDrive
                                                       : nullptr;
        if (flag != nullptr) {
            *flag = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + std::string(name);
            return false;
        }
        const char* value = argv[++i];
        unsigned long long number = 0;
        bool ok = true;
        if (name == "--link") {
            options.link = value;
        } else if (name == "--baud") {
            ok = parseUnsigned(value, 4000000, number);
            options.baud = static_cast<unsigned>(number);
        } else if (name == "--seed") {
            ok = parseUnsigned(value, 0xFFFFFFFFull, number);
            options.seed = static_cast<uint32_t>(number);
            options.seeded = true;
        } else if (name == "--corrupt") {
            ok = parseRate(value, options.faults.corruptReply);
        } else if (name == "--drop") {
            ok = parseRate(value, options.faults.dropReply);
        } else if (name == "--split") {
            ok = parseRate(value, options.faults.splitReply);
        } else if (name == "--stray") {
            ok = parseRate(value, options.faults.strayBytes);
        } else if (name == "--wrong-type") {
            ok = parseRate(value, options.faults.wrongFrameType);
        } else if (name == "--silent-after") {
            ok = parseUnsigned(value, 0xFFFFFFFFull, number);
            options.faults.silentAfter = static_cast<unsigned>(number);
        } else if (name == "--silent-for") {
            ok = parseUnsigned(value, 86400000, number);
            options.faults.silentFor = std::chrono::milliseconds(number);
        } else if (name == "--replug-after") {
            ok = parseUnsigned(value, 0xFFFFFFFFull, number);
            options.faults.replugAfter = static_cast<unsigned>(number);
        } else if (name == "--state") {
            options.stateFile = value;
        } else if (name == "--type") {
            ok = parseUnsigned(value, 0xFF, number);
            options.knobs.identifyType = static_cast<uint8_t>(number);
        } else if (name == "--word") {
            ok = parseUnsigned(value, 0xFFFF, number);
            options.knobs.identifyWord = static_cast<uint16_t>(number);
        } else if (name == "--boot-identify") {
            ok = parseUnsigned(value, 0xFF, number);
            options.knobs.bootloaderIdentifyStatus = static_cast<uint8_t>(number);
        } else if (name == "--version") {
            ok = parseUnsigned(value, 0xFFFF, number);
            options.knobs.version = static_cast<uint16_t>(number);
        } else if (name == "--boot-state") {
            ok = parseUnsigned(value, 0xFF, number);
            options.knobs.bootloaderState = static_cast<uint8_t>(number);
        } else if (const auto sensor = kSensorOptions.find(name); sensor != kSensorOptions.end()) {
            ok = parseFraction(value, sensor->second.highest, options.drive.*sensor->second.field);
            driveTuned = true;
        } else if (name == "--ideal-map") {
            options.idealMap = value;
            driveTuned = true;
        } else {
            error = "unknown option " + std::string(name);
            return false;
        }
        if (!ok) {
            error = "bad value for " + std::string(name) + ": " + value;
            return false;
        }
    }
    if (driveTuned && !options.petrolDrive) {
        error = "the petrol drive's options need --drive";
        return false;
    }
    if (options.drive.dropoutRate + options.drive.spikeRate > 1) {
        error = "--dropouts and --spikes together exceed every reading";
        return false;
    }
    if (options.seeded) {
        options.drive.seed = options.seed;
    }
    return true;
}

} // namespace krv::sim
