// The controller application's commands: fixed tries, decoding into the device only on
// success, and the demo mode's answers without any exchange.

#include "device/demo_readings.h"
#include "device/exchange_tries.h"
#include "device/lpg_device.h"
#include "device/units.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace krv {

using namespace device_detail;
using namespace protocol;

namespace {

constexpr int kCommandTries = 10;
constexpr int kIdentifyTries = 3;

constexpr uint8_t kIdentityLength = 4; // status, type, word
constexpr uint8_t kVersionLength = 3;
constexpr std::chrono::milliseconds kDemoReadingPause{50};

bool sendCommand(CLPGDevice& device, uint8_t code) {
    return exchangeWithTries(device, kCommandTries, kCommandFrame, kCommandLength,
                             operationCode(code), acknowledged)
        .has_value();
}

std::optional<Reply> readFrame(CLPGDevice& device, uint8_t code, uint8_t replyType,
                               uint8_t replyLength) {
    return exchangeWithTries(device, kCommandTries, kCommandFrame, kCommandLength,
                             operationCode(code),
                             [&](const Reply& reply) { return reply.is(replyType, replyLength); });
}

// The application answers with its type and word, the bootloader with its status alone.
bool isIdentity(const Reply& reply) {
    const bool application =
        reply.is(kStatusFrame, kIdentityLength) && reply.payload[0] == kStatusAcknowledged;
    return application || (reply.isStatus() && reply.payload[0] == kStatusBootloader);
}

} // namespace

IdentifyAnswer CLPGDevice::requestIdentity() {
    IdentifyAnswer answer;
    const auto reply = exchangeWithTries(*this, kIdentifyTries, kCommandFrame, kCommandLength,
                                         operationCode(kIdentify), isIdentity);
    if (!reply) {
        return answer;
    }
    if (reply->payload[0] == kStatusBootloader) {
        answer.kind = IdentifyAnswer::Kind::Bootloader;
        return answer;
    }
    answer.type = reply->payload[1];
    answer.word = reply->word(2);
    if (answer.type != kServedDeviceType) {
        answer.kind = IdentifyAnswer::Kind::ForeignType;
        return answer;
    }
    answer.kind = IdentifyAnswer::Kind::Application;
    deviceType = answer.type;
    readingsEnabled = answer.word == kReadingsEnabledWord;
    return answer;
}

bool CLPGDevice::readSettings() {
    if (demoMode) {
        return true;
    }
    const auto reply = readFrame(*this, kReadSettings, kSettingsFrame, kSettingsLength);
    if (!reply) {
        return false;
    }
    rpmDivider = reply->payload[0];
    noiseDelta = reply->payload[1];
    noisePeriod = reply->word(2);
    return true;
}

bool CLPGDevice::writeSettings() {
    if (demoMode) {
        return true;
    }
    const auto reply = exchangeWithTries(
        *this, kCommandTries, kSettingsFrame, kSettingsLength,
        [this](uint8_t* payload) {
            payload[0] = rpmDivider;
            payload[1] = noiseDelta;
            payload[2] = noisePeriod & 0xFF;
            payload[3] = noisePeriod >> 8;
        },
        acknowledged);
    if (!reply) {
        return false;
    }
    writeMap(); // the settings are written; a map that did not follow is not their failure
    return true;
}

bool CLPGDevice::readVersion() {
    if (demoMode) {
        firmwareVersion = 0x0100;
        deviceType = kServedDeviceType;
        return true;
    }
    const auto reply = readFrame(*this, kReadVersion, kVersionFrame, kVersionLength);
    if (!reply) {
        return false;
    }
    firmwareVersion = reply->word(0);
    deviceType = reply->payload[2];
    return true;
}

bool CLPGDevice::readMap() {
    if (demoMode) {
        return true;
    }
    const auto reply = readFrame(*this, kReadMap, kMapFrame, kMapCells);
    if (!reply) {
        return false;
    }
    for (int cell = 0; cell < kMapCells; ++cell) {
        map[cell] = units::mapCellVolts(reply->payload[cell]);
    }
    return true;
}

bool CLPGDevice::writeMap() {
    if (demoMode) {
        return true;
    }
    return exchangeWithTries(
               *this, kCommandTries, kMapFrame, kMapCells,
               [this](uint8_t* payload) {
                   for (int cell = 0; cell < kMapCells; ++cell) {
                       payload[cell] = units::mapCellWire(map[cell]);
                   }
               },
               acknowledged)
        .has_value();
}

bool CLPGDevice::storeMap() {
    return demoMode || sendCommand(*this, kStoreMap);
}

bool CLPGDevice::clearMapTime() {
    return demoMode || sendCommand(*this, kClearMapTime);
}

bool CLPGDevice::readMapAxes() {
    if (demoMode) {
        return true;
    }
    const auto reply = readFrame(*this, kReadMapAxes, kAxesFrame, kAxesColumnOffset + kMapColumns);
    if (!reply) {
        return false;
    }
    for (int i = 0; i < kMapRows; ++i) {
        rowAxis[i] = units::rowBreakVolts(static_cast<int16_t>(reply->word(2 * i)));
    }
    for (int j = 0; j < kMapColumns; ++j) {
        columnAxis[j] = units::columnBreakRpm(reply->payload[kAxesColumnOffset + j]);
    }
    return true;
}

bool CLPGDevice::writeMapAxes() {
    if (demoMode) {
        return true;
    }
    return exchangeWithTries(
               *this, kCommandTries, kAxesFrame, kAxesLength,
               [this](uint8_t* payload) {
                   for (int i = 0; i < kMapRows; ++i) {
                       const auto w = static_cast<uint16_t>(units::rowBreakWire(rowAxis[i]));
                       payload[2 * i] = w & 0xFF;
                       payload[2 * i + 1] = w >> 8;
                   }
                   for (int j = 0; j < kMapColumns; ++j) {
                       payload[kAxesColumnOffset + j] = units::columnBreakWire(columnAxis[j]);
                   }
               },
               acknowledged)
        .has_value();
}

bool CLPGDevice::adjustMapRegion(const MapRegion& region) {
    // A region reaching past the map, or an unknown direction, would have the controller
    // change memory that is not its map.
    const bool inside = region.firstRow + region.rowCount <= kMapRows &&
                        region.firstColumn + region.columnCount <= kMapColumns;
    const bool known =
        region.direction == MapRegion::kRaise || region.direction == MapRegion::kLower;
    if (!inside || !known) {
        return false;
    }
    if (demoMode) {
        return true;
    }
    return exchangeWithTries(
               *this, 1, kAdjustRegionFrame, kAdjustRegionLength,
               [&region](uint8_t* payload) {
                   payload[0] = region.firstRow;
                   payload[1] = region.firstColumn;
                   payload[2] = region.rowCount;
                   payload[3] = region.columnCount;
                   payload[4] = region.direction;
                   payload[5] = region.step;
               },
               acknowledged)
        .has_value();
}

int CLPGDevice::readReadings(CDiag& record) {
    if (demoMode) {
        if (nextDemoReading(record) == 1) {
            diagData.clearSamples();
        }
        std::this_thread::sleep_for(kDemoReadingPause);
        return kReadingOk;
    }
    Reply reply;
    reply.payload[0] = kReadReadings;
    reply.frameType = kCommandFrame;
    reply.length = kCommandLength;
    if (transactPolled(reply.payload.data(), reply.length, reply.frameType) !=
        CFrameExchange::kPolledOk) {
        return kReadingLinkFailed;
    }
    if (reply.frameType != kReadingsFrame) {
        return kReadingWrongReply;
    }
    record.raw.fill(0);
    std::copy_n(reply.payload.begin(), std::min<int>(reply.length, CDiag::kPayloadSize),
                record.raw.begin());
    return kReadingOk;
}

} // namespace krv
