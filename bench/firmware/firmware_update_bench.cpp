// A whole firmware update of a full image against the simulated controller over a 38400-baud
// wire, from the file's load to the controller found again and polled: wall time against the
// time the programming's bytes need on the wire plus the update's two one-second pauses
// (goal: within 10 %).

#include "connection/process_state.h"
#include "connection/thread_manager.h"
#include "firmware/update/firmware_update.h"
#include "platform/text.h"
#include "sim/afm/afm_tool.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace {

using namespace krv;

constexpr unsigned kBaud = 38400;
constexpr double kWireBytesPerSecond = kBaud / 10.0; // 8N1
constexpr size_t kFrameOverhead = 6 + 2;             // header and key, checksum
constexpr size_t kStatusReplyBytes = kFrameOverhead + 6;
constexpr double kFixedPauses = 2.0; // after the query, before reconnecting

// The window with its answers ready: the file is chosen at once.
class CBenchWindow : public IMainWindow, public IFirmwareUpdateWindow {
public:
    explicit CBenchWindow(std::u16string file) : file_(std::move(file)) {}

    bool chooseDemoMode() override { return false; }
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    bool updateFirmware(bool) override { return false; }
    void setStatusText(const std::u16string&) override {}
    void onReconnected() override {}

    std::u16string selectFile(const std::u16string&, const std::u16string&,
                              const std::u16string&) override {
        return file_;
    }
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    MessageOwner messageOwner() override { return nullptr; }

private:
    std::u16string file_;
};

// Every bootloader request is answered with a status frame; application requests are not
// counted (the readings before polling stops, the reads of the reconnection).
bool isProgramming(const sim::Frame& request) {
    if (request.type == 0xF6 || request.type == 0xF7 || request.type == 0xF9) {
        return true;
    }
    if (request.type != 2 || request.payload.empty()) {
        return false;
    }
    const uint8_t op = request.payload[0];
    return op == 0xC4 || op == 0x60 || op == 0x0A;
}

} // namespace

int main() {
    char pattern[] = "/tmp/krv-update-bench-XXXXXX";
    const std::filesystem::path directory = ::mkdtemp(pattern);
    ::setenv("XDG_CONFIG_HOME", directory.c_str(), 1);
    const std::string file = (directory / "full.afm").string();
    std::ostringstream errors;
    if (sim::runAfmTool(std::vector<std::string>{file, "--sample"}, errors) != sim::kAfmToolOk) {
        std::fprintf(stderr, "krv-afm: %s", errors.str().c_str());
        return 1;
    }

    sim::CController controller;
    sim::CSimulator simulator(controller);
    simulator.setBaud(kBaud);
    try {
        simulator.start();
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", error.what());
        return 1;
    }
    ::setenv("KRV_PORTS", simulator.slavePath().c_str(), 1);

    CBenchWindow window(toU16(file));
    CLPGThreadManager threads;
    bool updated = false;
    double wall = 0;
    {
        CLPGConnection device(threads);
        device.connect(window);
        if (!device.connected) {
            std::fprintf(stderr, "the simulated controller was not found\n");
            return 1;
        }
        device.startPolling();
        controller.clearRequests();
        const auto start = std::chrono::steady_clock::now();
        try {
            updated = updateFirmware(device, window, false) && device.connected;
        } catch (IError* error) {
            std::fprintf(stderr, "port: %s\n", toUtf8(error->format()).c_str());
            delete error;
        }
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    simulator.stop();
    std::filesystem::remove_all(directory);

    size_t exchanges = 0;
    size_t wireBytes = 0;
    for (const sim::Frame& request : controller.requests()) {
        if (isProgramming(request)) {
            ++exchanges;
            wireBytes += kFrameOverhead + request.payload.size() + kStatusReplyBytes;
        }
    }
    const double limit = wireBytes / kWireBytesPerSecond + kFixedPauses;
    std::printf("firmware update of a full image at %u baud: %s\n", kBaud,
                updated ? "programmed and reconnected" : "FAILED");
    std::printf("  programming exchanges  %zu\n", exchanges);
    std::printf("  bytes on the wire      %zu (both ways)\n", wireBytes);
    std::printf("  wall time              %.3f s\n", wall);
    std::printf("  wire-time limit        %.3f s (with the two 1 s pauses)\n", limit);
    std::printf("  ratio                  %.3f (goal: at most 1.10)\n", wall / limit);
    return updated ? 0 : 1;
}
