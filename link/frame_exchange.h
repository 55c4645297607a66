#pragma once
// One request/reply exchange with the controller, holding the transaction mutex from the first
// byte written to the check of the reply, so frames of two threads never interleave.
// Time-outs, bad headers and bad checksums are results; a failing port raises CRSError*, which
// passes through with the mutex released.

#include "link/frame_codec.h"
#include "link/serial_io.h"
#include "platform/threads.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace krv {

class CFrameExchange {
public:
    using KeySource = std::function<uint16_t()>;

    CFrameExchange(ISerialIo& port, CMSGMutex& mutex);

    // buffer: kExchangeBufferSize bytes; in: the request payload, scrambled in place (rebuild it
    // before a retry); out: the reply payload, its two checksum bytes, zeros after them.
    // length/frameType: in the request's, out (on success) the reply's.
    bool transact(uint8_t* buffer, uint8_t& length, uint8_t& frameType);
    // For the polling thread: also purges before sending, and the payload must arrive in one
    // read. 0 = success, 2 = failure.
    uint8_t transactPolled(uint8_t* buffer, uint8_t& length, uint8_t& frameType);

    // Keys come from rand() (0..32767) unless replaced.
    void setKeySource(KeySource source) { keySource_ = std::move(source); }
    // Pause before the second read of a reply whose payload came short (50 ms).
    void setSplitReadPause(std::chrono::milliseconds pause) { splitReadPause_ = pause; }

    static constexpr uint8_t kPolledOk = 0;
    static constexpr uint8_t kPolledFailed = 2;

private:
    enum class Mode { Command, Polled };
    bool exchange(Mode mode, uint8_t* buffer, uint8_t& length, uint8_t& frameType);
    bool send(Mode mode, uint16_t key, uint8_t* buffer, uint8_t length, uint8_t frameType);
    bool receive(Mode mode, uint8_t* buffer, uint8_t& length, uint8_t& frameType);
    bool readHeader(uint8_t* header);

    ISerialIo& port_;
    CMSGMutex& mutex_;
    KeySource keySource_;
    std::chrono::milliseconds splitReadPause_{50};
};

} // namespace krv
