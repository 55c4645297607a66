// A whole firmware update of a full image against the simulated controller over a 38400-baud
// wire, from the file's load to the controller found again and polled: wall time against the
// time the programming's bytes need on the wire plus the update's two one-second pauses
// (goal: within 10 %).

#include "bench/support/paced_controller.h"
#include "bench/support/quiet_window.h"
#include "connection/thread_manager.h"
#include "device/protocol_codes.h"
#include "firmware/update/firmware_update.h"
#include "platform/text.h"
#include "sim/afm/afm_tool.h"

#include <chrono>
#include <cstdio>
#include <sstream>

namespace {

using namespace krv;

constexpr double kFixedPauses = 2.0; // after the query, before reconnecting

// The window with its answers ready: the file is chosen at once.
class CBenchWindow : public bench::CQuietWindow, public IFirmwareUpdateWindow {
public:
    explicit CBenchWindow(std::u16string file) : file_(std::move(file)) {}

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
    using namespace protocol;
    if (request.type == kEnterBootloaderFrame || request.type == kWriteRowFrame ||
        request.type == kErasePageFrame) {
        return true;
    }
    if (request.type != kCommandFrame || request.payload.empty()) {
        return false;
    }
    const uint8_t op = request.payload[0];
    return op == kQueryBootloader || op == kEndProgramming || op == kStartApplication;
}

} // namespace

int main() {
    const bench::CTemporarySettingsFolder settings;
    const std::string file = (settings.path() / "full.afm").string();
    std::ostringstream errors;
    if (sim::runAfmTool(std::vector<std::string>{file, "--sample"}, errors) != sim::kAfmToolOk) {
        std::fprintf(stderr, "krv-afm: %s", errors.str().c_str());
        return 1;
    }

    bench::CPacedController paced;
    if (!paced.start()) {
        return 1;
    }

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
        paced.controller.clearRequests();
        const auto start = std::chrono::steady_clock::now();
        try {
            updated = updateFirmware(device, window, false) && device.connected;
        } catch (IError* error) {
            std::fprintf(stderr, "port: %s\n", toUtf8(error->format()).c_str());
            delete error;
        }
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    paced.simulator.stop();

    size_t exchanges = 0;
    size_t wireBytes = 0;
    for (const sim::Frame& request : paced.controller.requests()) {
        if (isProgramming(request)) {
            ++exchanges;
            wireBytes += bench::statusExchangeBytes(request);
        }
    }
    const double limit = bench::wireSeconds(wireBytes) + kFixedPauses;
    std::printf("firmware update of a full image at %u baud: %s\n", bench::kBaud,
                updated ? "programmed and reconnected" : "FAILED");
    std::printf("  programming exchanges  %zu\n", exchanges);
    std::printf("  bytes on the wire      %zu (both ways)\n", wireBytes);
    std::printf("  wall time              %.3f s\n", wall);
    std::printf("  wire-time limit        %.3f s (with the two 1 s pauses)\n", limit);
    std::printf("  ratio                  %.3f (goal: at most 1.10)\n", wall / limit);
    return updated ? 0 : 1;
}
