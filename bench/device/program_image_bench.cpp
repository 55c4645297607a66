// Programming a full 272-row image into the simulated bootloader over a 38400-baud wire:
// wall time against the time the bytes alone need on the wire (goal: within 10 %).

#include "bench/support/paced_controller.h"
#include "device/lpg_device.h"
#include "platform/error.h"
#include "platform/text.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr uint16_t kRows = 272;

} // namespace

int main() {
    using namespace krv;
    bench::CPacedController paced(sim::ControllerMode::Bootloader);
    if (!paced.start()) {
        return 1;
    }

    CLPGDevice device;
    std::vector<uint8_t> image(0x3000 + kRows * 256);
    std::mt19937 random(1);
    for (uint8_t& byte : image) {
        byte = static_cast<uint8_t>(random());
    }
    bool programmed = false;
    const auto start = std::chrono::steady_clock::now();
    try {
        device.port.open(1);
        device.port.setState();
        device.port.setTimeout();
        programmed = device.programImage(image.data(), kRows);
    } catch (IError* error) {
        const std::unique_ptr<IError> owned(error);
        std::fprintf(stderr, "port: %s\n", toUtf8(owned->format()).c_str());
        return 1;
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    size_t wireBytes = 0;
    const auto requests = paced.controller.requests();
    for (const sim::Frame& request : requests) {
        wireBytes += bench::statusExchangeBytes(request);
    }
    const double limit = bench::wireSeconds(wireBytes);
    std::printf("programImage of %u rows at %u baud: %s\n", kRows, bench::kBaud,
                programmed ? "programmed" : "FAILED");
    std::printf("  exchanges          %zu\n", requests.size());
    std::printf("  bytes on the wire  %zu (both ways)\n", wireBytes);
    std::printf("  wall time          %.3f s\n", wall);
    std::printf("  wire-time limit    %.3f s\n", limit);
    std::printf("  ratio              %.3f (goal: at most 1.10)\n", wall / limit);
    return programmed ? 0 : 1;
}
