#include "link/frame_exchange.h"

#include "link/mutex_guard.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace krv {

CFrameExchange::CFrameExchange(ISerialIo& port, CMSGMutex& mutex)
    : port_(port), mutex_(mutex),
      keySource_([] { return static_cast<uint16_t>(std::rand() & 0x7FFF); }) {}

bool CFrameExchange::transact(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    return exchange(Mode::Command, buffer, length, frameType);
}

uint8_t CFrameExchange::transactPolled(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    return exchange(Mode::Polled, buffer, length, frameType) ? kPolledOk : kPolledFailed;
}

bool CFrameExchange::exchange(Mode mode, uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    // LL counts the checksum in one byte; a longer request cannot be framed.
    if (length > kMaxFramePayload) {
        return false;
    }
    const uint16_t key = keySource_();
    CMutexGuard guard(mutex_);
    return send(mode, key, buffer, length, frameType) && receive(mode, buffer, length, frameType);
}

bool CFrameExchange::send(Mode mode, uint16_t key, uint8_t* buffer, uint8_t length,
                          uint8_t frameType) {
    const auto ll = static_cast<uint8_t>(length + kFrameChecksumSize);
    const uint8_t header[kFrameHeaderSize] = {kFrameStart1, kFrameStart2, ll, frameType};
    const uint8_t keyBytes[kFrameKeySize] = {static_cast<uint8_t>(key >> 8),
                                             static_cast<uint8_t>(key & 0xFF)};
    const uint16_t checksum = frameChecksum(buffer, length, key, frameType, ll);
    const uint8_t checksumBytes[kFrameChecksumSize] = {static_cast<uint8_t>(checksum >> 8),
                                                       static_cast<uint8_t>(checksum & 0xFF)};
    scramblePayload(buffer, length, scrambleRotation(key));

    if (mode == Mode::Polled) {
        port_.purgeIn();
    }
    port_.write(header, sizeof header);
    if (mode == Mode::Command && port_.clearCommError() != 0) {
        return false;
    }
    port_.write(keyBytes, sizeof keyBytes);
    if (mode == Mode::Polled && port_.clearCommError() != 0) {
        return false;
    }
    port_.write(buffer, length);
    if (port_.clearCommError() != 0) {
        return false;
    }
    // Anything that arrived before the request is complete cannot be its reply.
    port_.purgeIn();
    port_.write(checksumBytes, sizeof checksumBytes);
    return port_.clearCommError() == 0;
}

bool CFrameExchange::readHeader(uint8_t* header) {
    if (port_.read(header, kFrameHeaderSize) < kFrameHeaderSize) {
        return false;
    }
    if (header[0] == kFrameStart1 && header[1] == kFrameStart2) {
        return true;
    }
    // One resynchronisation on the first start byte among the four; the checksum decides the rest.
    const uint8_t* start = std::find(header, header + kFrameHeaderSize, kFrameStart1);
    const auto skipped = static_cast<size_t>(start - header);
    if (skipped == kFrameHeaderSize) {
        return false;
    }
    std::memmove(header, start, kFrameHeaderSize - skipped);
    return skipped == 0 || port_.read(header + kFrameHeaderSize - skipped, skipped) == skipped;
}

bool CFrameExchange::receive(Mode mode, uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    uint8_t header[kFrameHeaderSize];
    uint8_t keyBytes[kFrameKeySize];
    if (!readHeader(header) || port_.read(keyBytes, kFrameKeySize) < kFrameKeySize) {
        return false;
    }
    const uint8_t ll = header[2];
    const uint8_t replyType = header[3];
    const auto replyKey = static_cast<uint16_t>((keyBytes[0] << 8) | keyBytes[1]);

    std::memset(buffer, 0, kExchangeBufferSize);
    if (port_.clearCommError() != 0) {
        return false;
    }
    size_t received = port_.read(buffer, ll);
    if (received < ll) {
        if (mode == Mode::Polled) {
            return false;
        }
        std::this_thread::sleep_for(splitReadPause_);
        received += port_.read(buffer + received, ll - received);
    }
    if (received <= kFrameChecksumSize) {
        return false;
    }
    unscramblePayload(buffer, received - kFrameChecksumSize, scrambleRotation(replyKey));
    const auto sent = static_cast<uint16_t>((buffer[received - 2] << 8) | buffer[received - 1]);
    if (sent != frameChecksum(buffer, ll - kFrameChecksumSize, replyKey, replyType, ll)) {
        return false;
    }
    frameType = replyType;
    length = static_cast<uint8_t>(ll - kFrameChecksumSize);
    return port_.clearCommError() == 0;
}

} // namespace krv
