// Bytes from the controller into the exchange. The first input byte chooses transact or
// transactPolled and whether line errors are reported; the rest is what the line delivers.

#include "link/frame_exchange.h"

#include <cstring>
#include <memory>

namespace {

class ScriptedLine : public krv::ISerialIo {
public:
    ScriptedLine(const uint8_t* data, size_t size, bool lineErrors)
        : data_(data), size_(size), lineErrors_(lineErrors) {}
    size_t read(uint8_t* buffer, size_t count) override {
        const size_t taken = std::min(count, size_ - offset_);
        std::memcpy(buffer, data_ + offset_, taken);
        offset_ += taken;
        return taken;
    }
    size_t write(const uint8_t*, size_t count) override { return count; }
    void purgeIn() override {}
    uint32_t clearCommError() override { return lineErrors_ && (++checks_ % 3 == 0) ? 8 : 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
    bool lineErrors_;
    unsigned checks_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t mode = data[0];
    ScriptedLine line(data + 1, size - 1, (mode & 2) != 0);
    krv::CMSGMutex mutex;
    krv::CFrameExchange exchange(line, mutex);
    exchange.setSplitReadPause(std::chrono::milliseconds(0));
    exchange.setKeySource([mode] { return static_cast<uint16_t>(mode * 0x0101); });

    // Exactly the 410 bytes, on the heap, so a step outside them is caught.
    auto buffer = std::make_unique<uint8_t[]>(krv::kExchangeBufferSize);
    buffer[0] = 0x07;
    uint8_t length = static_cast<uint8_t>(mode >> 2);
    uint8_t type = 0x02;
    const bool ok = (mode & 1) != 0 ? exchange.transactPolled(buffer.get(), length, type) == 0
                                    : exchange.transact(buffer.get(), length, type);
    if (ok && length == 0) {
        __builtin_trap(); // a reply needs at least one payload byte
    }
    return 0;
}
