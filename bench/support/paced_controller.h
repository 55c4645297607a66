#pragma once
// The simulated controller on a pseudo-terminal paced like the real 38400-baud wire, published
// as port 1, and the time the bytes of its exchanges need on that wire: the limit a benchmark
// holds its wall time against.

#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"
#include "tests/support/temp_folder.h"

#include <atomic>
#include <cstddef>
#include <filesystem>

namespace krv::bench {

inline constexpr unsigned kBaud = 38400;

// A frame on the wire: header and key (6 bytes), the payload, the checksum (2).
constexpr size_t frameBytes(size_t payloadBytes) {
    return 6 + payloadBytes + 2;
}

// A request and the status frame that answers it.
inline size_t statusExchangeBytes(const sim::Frame& request) {
    return frameBytes(request.payload.size()) + frameBytes(6);
}

// 8N1: ten bits a byte.
constexpr double wireSeconds(size_t bytes) {
    return static_cast<double>(bytes) / (kBaud / 10.0);
}

// Passes every request to the controller and adds up the bytes of each exchange, both ways,
// as they go over the wire.
class CWireTally : public sim::ICommandHandler {
public:
    explicit CWireTally(sim::ICommandHandler& controller) : controller_(controller) {}
    std::optional<sim::Frame> handle(const sim::Frame& request) override;
    size_t bytes() const { return bytes_; }

private:
    sim::ICommandHandler& controller_;
    std::atomic<size_t> bytes_{0};
};

class CPacedController {
public:
    explicit CPacedController(sim::ControllerMode mode = sim::ControllerMode::Application);

    // Serves and publishes port 1 through KRV_PORTS; false, with the reason on stderr, when no
    // pseudo-terminal can be had.
    bool start();

    sim::CController controller;
    CWireTally tally{controller};
    sim::CSimulator simulator;
};

// A fresh XDG_CONFIG_HOME for the tool's settings, removed with everything in it at the end.
class CTemporarySettingsFolder {
public:
    CTemporarySettingsFolder();

    const std::filesystem::path& path() const { return folder_.path(); }

private:
    test::TempFolder folder_;
};

} // namespace krv::bench
