#pragma once
// The device object: the port and lock every exchange goes through, the controller's identity,
// the readings store, and every command of the controller's application and bootloader. It
// keeps no copy of the controller's settings, axes or map: commands take the values they send
// and return the values they read (wire units), and whoever asked keeps them. Commands return
// a success flag (or no value) after their fixed number of tries; only a failing port
// (CRSError*) leaves them by exception, never retried.

#include "device/diag.h"
#include "device/diag_data.h"
#include "device/protocol_codes.h"
#include "link/device_errors.h"
#include "link/frame_exchange.h"
#include "link/serial_port.h"
#include "platform/threads.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace krv {

using protocol::kMapCells;
using protocol::kMapColumns;
using protocol::kMapRows;
using protocol::kServedDeviceType;

// What the controller said to the identification request.
struct IdentifyAnswer {
    enum class Kind {
        NoAnswer,    // no acceptable reply in three tries
        Application, // the application of the served type runs (device fields updated)
        ForeignType, // an application of another type answered (type and word hold its reply)
        Bootloader,  // the bootloader runs
    };
    Kind kind = Kind::NoAnswer;
    uint8_t type = 0;
    uint16_t word = 0;
};

// The controller's three settings, as they travel.
struct DeviceSettings {
    uint8_t rpmDivider = 1;
    uint8_t noiseDelta = 0;
    uint16_t noisePeriod = 0;

    bool operator==(const DeviceSettings&) const = default;
};

// The map's 240 cells in wire units (0.02 V steps), index row * 15 + column.
using MapCells = std::array<uint8_t, kMapCells>;

// The map's break points in wire units: rows in 0.015 V steps, columns in 100 rpm steps.
struct MapAxes {
    std::array<int16_t, kMapRows> rows{};
    std::array<uint8_t, kMapColumns> columns{};

    bool operator==(const MapAxes&) const = default;
};

// The axes a controller without a map holds, as the tool shows them before any read.
MapAxes defaultMapAxes();

// A rectangle of map cells to raise or lower on the controller by `step` map units (0.02 V).
struct MapRegion {
    enum Direction : uint8_t { kRaise = protocol::kRaiseRegion, kLower = protocol::kLowerRegion };
    uint8_t firstRow = 0;
    uint8_t firstColumn = 0;
    uint8_t rowCount = 0;
    uint8_t columnCount = 0;
    uint8_t direction = kRaise;
    uint8_t step = 0;
};

class CLPGDevice : public CLPGDeviceErr {
public:
    // readReadings results.
    static constexpr int kReadingOk = 0;
    static constexpr int kReadingWrongReply = 1;
    static constexpr int kReadingLinkFailed = 2;
    // queryBootloader's state when no usable reply came.
    static constexpr uint16_t kNoBootloaderState = 0xFFFF;
    static constexpr uint16_t kBootloaderReady = protocol::kBootloaderReady;

    CLPGDevice();
    CLPGDevice(const CLPGDevice&) = delete;
    CLPGDevice& operator=(const CLPGDevice&) = delete;
    ~CLPGDevice() override = default;

    // One exchange under the transaction lock (see CFrameExchange).
    bool transact(uint8_t* buffer, uint8_t& length, uint8_t& frameType);
    uint8_t transactPolled(uint8_t* buffer, uint8_t& length, uint8_t& frameType);

    // Application commands. In the demo mode every command succeeds without any exchange, and
    // the reads give what a controller without a map holds.
    IdentifyAnswer requestIdentity();
    std::optional<DeviceSettings> readSettings();
    // Then writes the map (the controller takes the two together), whose result it does not
    // consult.
    bool writeSettings(const DeviceSettings& settings, const MapCells& cells);
    bool readVersion();
    std::optional<MapCells> readMap();
    bool writeMap(const MapCells& cells);
    bool storeMap();
    bool clearMapTime();
    std::optional<MapAxes> readMapAxes();
    bool writeMapAxes(const MapAxes& axes);
    bool adjustMapRegion(const MapRegion& region); // one try; a region outside the map is refused
    int readReadings(CDiag& record);               // polling thread only

    // Bootloader commands (they never consult demoMode).
    bool enterBootloader();
    bool queryBootloader(uint16_t& state);
    bool erasePage(uint32_t address);
    bool writeRow(uint32_t address, const uint8_t* data192);
    bool endProgramming();
    bool startApplication();
    // rowWritten, when given, hears after each row how many of how many are written.
    using RowProgress = std::function<void(int rowsWritten, int rowsTotal)>;
    bool programImage(const uint8_t* image, uint16_t blockCount,
                      const RowProgress& rowWritten = {});

    uint16_t firmwareVersion = 0x0100;
    uint8_t deviceType = kServedDeviceType;
    CDiagData diagData;
    CSerialPort port;
    std::u16string logFileName;
    // Shared by the user-interface and polling threads.
    std::atomic<bool> pollingRunning{false};
    std::atomic<bool> demoMode{false};
    std::atomic<bool> connected{false};
    std::atomic<bool> readingsEnabled{true};
    // Set by every command exchange that got no usable reply (a time-out, a garbled frame, a
    // failing port) and by every failed polling read: another controller may answer from then
    // on, so nothing is written before its state has been read again and compared. A refusal
    // is an answer and leaves it as it is.
    std::atomic<bool> identityInDoubt{false};
    CMSGMutex transactionMutex;

    // Asked before a command repeats a try that got no answer: false ends the tries. A write
    // sets it so that a try never goes to a controller that may not be the one it was meant
    // for; the check's own exchanges are not asked about.
    void setRetryCheck(std::function<bool()> check) { retryCheck_ = std::move(check); }
    bool mayRetry();

private:
    CFrameExchange exchange_{port, transactionMutex};
    // The demo's readings are numbered on: a reconnected demo goes on counting.
    std::atomic<uint32_t> demoReadings_{1};
    std::function<bool()> retryCheck_;
    bool checkingRetry_ = false;
};

} // namespace krv
