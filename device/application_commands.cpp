// The controller application's commands: fixed tries, decoding into the device only on
// success, and the demo mode's answers without any exchange.

#include "device/demo_readings.h"
#include "device/exchange_tries.h"
#include "device/lpg_device.h"

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

std::optional<DeviceSettings> CLPGDevice::readSettings() {
    if (demoMode) {
        return DeviceSettings{};
    }
    const auto reply = readFrame(*this, kReadSettings, kSettingsFrame, kSettingsLength);
    if (!reply) {
        return std::nullopt;
    }
    return DeviceSettings{reply->payload[0], reply->payload[1], reply->word(2)};
}

bool CLPGDevice::writeSettings(const DeviceSettings& settings, const MapCells& cells) {
    if (demoMode) {
        return true;
    }
    const auto reply = exchangeWithTries(
        *this, kCommandTries, kSettingsFrame, kSettingsLength,
        [&settings](uint8_t* payload) {
            payload[0] = settings.rpmDivider;
            payload[1] = settings.noiseDelta;
            payload[2] = settings.noisePeriod & 0xFF;
            payload[3] = settings.noisePeriod >> 8;
        },
        acknowledged);
    if (!reply) {
        return false;
    }
    writeMap(cells); // the settings are written; a map that did not follow is not their failure
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

std::optional<MapCells> CLPGDevice::readMap() {
    if (demoMode) {
        return MapCells{};
    }
    const auto reply = readFrame(*this, kReadMap, kMapFrame, kMapCells);
    if (!reply) {
        return std::nullopt;
    }
    MapCells cells;
    std::copy_n(reply->payload.begin(), kMapCells, cells.begin());
    return cells;
}

bool CLPGDevice::writeMap(const MapCells& cells) {
    if (demoMode) {
        return true;
    }
    return exchangeWithTries(
               *this, kCommandTries, kMapFrame, kMapCells,
               [&cells](uint8_t* payload) { std::copy(cells.begin(), cells.end(), payload); },
               acknowledged)
        .has_value();
}

bool CLPGDevice::storeMap() {
    return demoMode || sendCommand(*this, kStoreMap);
}

bool CLPGDevice::clearMapTime() {
    return demoMode || sendCommand(*this, kClearMapTime);
}

std::optional<MapAxes> CLPGDevice::readMapAxes() {
    if (demoMode) {
        return defaultMapAxes();
    }
    const auto reply = readFrame(*this, kReadMapAxes, kAxesFrame, kAxesColumnOffset + kMapColumns);
    if (!reply) {
        return std::nullopt;
    }
    MapAxes axes;
    for (int i = 0; i < kMapRows; ++i) {
        axes.rows[i] = static_cast<int16_t>(reply->word(2 * i));
    }
    std::copy_n(reply->payload.begin() + kAxesColumnOffset, kMapColumns, axes.columns.begin());
    return axes;
}

bool CLPGDevice::writeMapAxes(const MapAxes& axes) {
    if (demoMode) {
        return true;
    }
    return exchangeWithTries(
               *this, kCommandTries, kAxesFrame, kAxesLength,
               [&axes](uint8_t* payload) {
                   for (int i = 0; i < kMapRows; ++i) {
                       const auto w = static_cast<uint16_t>(axes.rows[i]);
                       payload[2 * i] = w & 0xFF;
                       payload[2 * i + 1] = w >> 8;
                   }
                   std::copy(axes.columns.begin(), axes.columns.end(),
                             payload + kAxesColumnOffset);
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
        const uint32_t number = demoReadings_.fetch_add(1);
        demoReading(record, number);
        if (number == 1) {
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
