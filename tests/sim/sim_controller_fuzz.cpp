// Any sequence of frames from the wire leaves the simulated controller answering with a frame
// that fits the wire, never reading or writing out of bounds.

#include "sim/controller/controller.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace krv::sim;
    if (size == 0) {
        return 0;
    }
    CController controller(data[0] & 1 ? ControllerMode::Bootloader : ControllerMode::Application);
    size_t at = 1;
    while (at + 2 <= size) {
        Frame request;
        request.type = data[at];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        request.payload.assign(data + at + 2, data + at + 2 + length);
        at += 2 + length;
        const auto reply = controller.handle(request);
        if (reply && (reply->payload.empty() || reply->payload.size() > 253)) {
            std::abort();
        }
    }
    return 0;
}
