// The bootloader's commands. They always exchange frames, demo mode or not.

#include "device/exchange_tries.h"
#include "device/lpg_device.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace krv {

using namespace device_detail;
using namespace protocol;

namespace {

constexpr int kBootloaderTries = 3;
constexpr size_t kImageOffset = 0x3000;  // image bytes before the first programmed word
constexpr size_t kRowImageBytes = 256;   // 64 words of 4 bytes; the 4th is not programmed
constexpr uint8_t kQueryReplyLength = 2; // status, state

void putAddress(uint8_t* payload, uint32_t address) {
    for (int i = 0; i < kAddressLength; ++i) {
        payload[i] = static_cast<uint8_t>(address >> (8 * i));
    }
}

// A status command that any status reply ends; its byte 0 then tells success.
bool statusCommand(CLPGDevice& device, uint8_t code) {
    const auto reply =
        exchangeWithTries(device, kBootloaderTries, kCommandFrame, kCommandLength,
                          operationCode(code), [](const Reply& r) { return r.isStatus(); });
    return reply && reply->isAcknowledgement();
}

} // namespace

bool CLPGDevice::enterBootloader() {
    return exchangeWithTries(
               *this, 1, kEnterBootloaderFrame, kAccessCodeLength,
               [](uint8_t* payload) { std::memcpy(payload, kAccessCode, kAccessCodeLength); },
               acknowledged)
        .has_value();
}

bool CLPGDevice::queryBootloader(uint16_t& state) {
    state = kNoBootloaderState;
    const auto reply = exchangeWithTries(*this, kBootloaderTries, kCommandFrame, kCommandLength,
                                         operationCode(kQueryBootloader),
                                         [](const Reply& r) { return r.isStatus(); });
    if (!reply || !reply->isAcknowledgement() || reply->length < kQueryReplyLength) {
        return false;
    }
    state = reply->payload[1];
    if (state == kBootloaderReady) {
        return true;
    }
    // A bootloader that is not ready is told to end, so that it starts clean next time.
    endProgramming();
    return false;
}

bool CLPGDevice::erasePage(uint32_t address) {
    return exchangeWithTries(
               *this, kBootloaderTries, kErasePageFrame, kAddressLength,
               [address](uint8_t* payload) { putAddress(payload, address); }, acknowledged)
        .has_value();
}

bool CLPGDevice::writeRow(uint32_t address, const uint8_t* data192) {
    return exchangeWithTries(
               *this, kBootloaderTries, kWriteRowFrame, kAddressLength + kRowDataBytes,
               [address, data192](uint8_t* payload) {
                   putAddress(payload, address);
                   std::memcpy(payload + kAddressLength, data192, kRowDataBytes);
               },
               acknowledged)
        .has_value();
}

bool CLPGDevice::endProgramming() {
    return statusCommand(*this, kEndProgramming);
}

bool CLPGDevice::startApplication() {
    return statusCommand(*this, kStartApplication);
}

bool CLPGDevice::programImage(const uint8_t* image, uint16_t blockCount,
                              const RowProgress& rowWritten) {
    uint32_t address = kFirstProgramAddress;
    const uint8_t* source = image + kImageOffset;
    std::array<uint8_t, kRowDataBytes> packed{};
    const int rowsTotal = std::min<int>(blockCount, (kEndProgramAddress - address) / kRowUnits);
    for (int row = 0; row < rowsTotal; ++row) {
        if (address % kPageUnits == 0 && !erasePage(address)) {
            return false;
        }
        for (size_t word = 0; word < kRowImageBytes / 4; ++word) {
            std::memcpy(&packed[3 * word], source + 4 * word, 3);
        }
        if (!writeRow(address, packed.data())) {
            return false;
        }
        source += kRowImageBytes;
        address += kRowUnits;
        if (rowWritten) {
            rowWritten(row + 1, rowsTotal);
        }
    }
    return true;
}

} // namespace krv
