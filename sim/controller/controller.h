#pragma once
// The simulated controller behind the wire layer: its application (settings, correction map
// and axes in controller units, live readings from an engine model) and its bootloader
// (program memory). Knobs make it answer the way a test or a script needs; a snapshot of its
// state serves in-process tests, and a JSON state file, rewritten on every change, serves
// scripts that drive krv-sim.

#include "device/protocol_codes.h"
#include "sim/controller/program_memory.h"
#include "sim/wire/command_handler.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace krv::sim {

class PetrolDrive;

enum class ControllerMode { Application, Bootloader };

struct ControllerSettings {
    uint8_t rpmDivider = 1;
    uint8_t noiseDelta = 0;
    uint16_t noisePeriod = 0;
    bool operator==(const ControllerSettings&) const = default;
};

// A kind of write request: a frame type, and for a command frame its operation code.
struct WriteRequestKind {
    uint8_t type = protocol::kCommandFrame;
    uint8_t operation = 0; // command frames only

    bool matches(const Frame& request) const;
};

// The knobs: what the controller says about itself and how it behaves.
struct ControllerKnobs {
    uint8_t identifyType = protocol::kServedDeviceType;
    uint16_t identifyWord = protocol::kReadingsEnabledWord;
    uint8_t bootloaderIdentifyStatus = protocol::kStatusBootloader; // identify's byte 0 there
    uint16_t version = 0x0100;
    uint8_t bootloaderState = protocol::kBootloaderReady; // queryBootloader's report
    bool onGas = false;                                   // workState 3 (gas) instead of 2 (petrol)
    // The application answers reads as ever and refuses, without effect, every request that
    // would change its settings, axes or map.
    bool refuseWrites = false;
    // Refuses, without effect, every write of this kind only.
    std::optional<WriteRequestKind> refuseWritesOf;
    // Refuses, without effect, the Nth write request (from 1) since the knobs were set.
    unsigned refuseNthWrite = 0;
    // From the first request of this kind on, answers nothing (a cable pulled) until the knobs
    // are set again; that request takes effect first when silentAfterTaking.
    std::optional<WriteRequestKind> silentFrom;
    bool silentAfterTaking = true;
    // When set, every request is answered with this frame and has no other effect.
    std::optional<Frame> forcedReply;
};

struct ControllerCounters {
    uint64_t requests = 0;
    uint64_t acknowledged = 0; // status replies with byte 0 = 4
    uint64_t refused = 0;      // status replies with byte 0 = 0
    uint64_t readings = 0;     // readings replies
    uint64_t mapStores = 0;    // storeMap requests acknowledged
};

struct ControllerState {
    ControllerMode mode = ControllerMode::Application;
    ControllerKnobs knobs;
    ControllerSettings settings;
    std::array<uint8_t, 240> map{}; // the working map, which the store copies into storedMap
    std::array<uint8_t, 240> storedMap{};
    std::array<int16_t, 16> rowAxis{};
    std::array<uint8_t, 15> columnAxis{};
    std::array<uint8_t, 18> lastReadings{};
    bool programmingEnded = false;
    bool silenced = false; // silentFrom met
    unsigned writesSinceKnobs = 0;
    ProgramMemory program;
    ControllerCounters counters;
};

class CController : public ICommandHandler {
public:
    static constexpr size_t kRequestLogSize = 4096; // newest requests kept

    explicit CController(ControllerMode mode = ControllerMode::Application);

    std::optional<Frame> handle(const Frame& request) override;

    // Every change from now on rewrites this file (atomically); written at once as well.
    void setStateFile(std::string path);
    void setKnobs(const ControllerKnobs& knobs);
    ControllerKnobs knobs() const;
    void setMode(ControllerMode mode);
    void setSettings(const ControllerSettings& settings);
    void setMap(const std::array<uint8_t, 240>& map);
    void setAxes(const std::array<int16_t, 16>& rows, const std::array<uint8_t, 15>& columns);
    // The engine follows this drive from the controller's start instead of its repeating cycle.
    void setDrive(std::shared_ptr<const PetrolDrive> drive);

    ControllerState state() const;
    // The requests received, oldest first (at most kRequestLogSize).
    std::deque<Frame> requests() const;
    // Those of one frame type, oldest first.
    std::vector<Frame> requests(uint8_t type) const;
    void clearRequests();

private:
    static bool changesTheMap(const Frame& request);
    std::optional<Frame> handleApplication(const Frame& request);
    std::optional<Frame> handleBootloader(const Frame& request);
    Frame status(uint8_t code);
    Frame readings();
    // Called with the lock held after anything may have changed.
    void changed();

    mutable std::mutex mutex_;
    ControllerState state_;
    std::deque<Frame> requests_;
    std::string stateFile_;
    std::shared_ptr<const PetrolDrive> drive_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

} // namespace krv::sim
