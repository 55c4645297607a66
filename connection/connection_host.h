#pragma once
// What the connection needs of whoever runs it (the main window, the command line, a test): two
// questions, and the events of the link, which the host answers with its own refresh and its
// own reconnect timer. Events come from the thread the connection runs on; a window hands
// them to its own thread.

#include "device/map_file/map_snapshot.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace krv {

// What a connection read from the controller it found: who it is and what it holds.
struct ControllerData {
    uint8_t deviceType = kServedDeviceType;
    uint16_t firmwareVersion = 0;
    MapSnapshot state;

    bool operator==(const ControllerData&) const = default;
};

class IConnectionHost {
public:
    virtual ~IConnectionHost() = default;

    // The no-connection dialog: true for "Uruchom w trybie demo", false for every other answer.
    virtual bool chooseDemoMode() = 0;
    // Firmware update; forced for a controller found waiting in its bootloader.
    virtual bool updateFirmware(bool forced) = 0;
    // The status line text (not refreshed on screen until the next transfer).
    virtual void setStatusText(const std::u16string& text) = 0;

    // The controller identified itself and its settings, map and axes were read: from now on
    // the link is up. Nothing is written to a controller before this.
    virtual void dataLoaded(const ControllerData& data) = 0;
    // Samples flow into the readings store (or the store's state should be shown): refresh
    // the readings (the window: every 100 ms) until readingsStopped.
    virtual void readingsStarted() = 0;
    virtual void readingsStopped() = 0;
    // The link is down: try reconnect() after the pause.
    virtual void linkLost(std::chrono::milliseconds reconnectAfter) = 0;
    // A reconnect found the controller again (dataLoaded came first).
    virtual void reconnected() = 0;
};

} // namespace krv
