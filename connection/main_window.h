#pragma once
// What the connection needs of the window it runs under. The main dialog implements it;
// tests install their own, so the connection runs and is tested without a window.

#include <string>

namespace krv {

class IMainWindow {
public:
    static constexpr int kReadingsTimer = 2000;  // readings refresh, 100 ms
    static constexpr int kReconnectTimer = 2001; // reconnect after a lost link

    virtual ~IMainWindow() = default;

    // The no-connection dialog: true for "Uruchom w trybie demo", false for every other answer.
    virtual bool chooseDemoMode() = 0;
    // Start (or restart) and stop one of the window's timers. startTimer is also called from
    // the polling's thread, so implementations hand it to the user-interface thread.
    virtual void startTimer(int id, int milliseconds) = 0;
    virtual void stopTimer(int id) = 0;
    // Firmware update; forced for a controller found waiting in its bootloader.
    virtual bool updateFirmware(bool forced) = 0;
    // The status line text (not refreshed on screen until the next transfer).
    virtual void setStatusText(const std::u16string& text) = 0;
    // After a successful reconnect: translated captions, device data, members to controls.
    virtual void onReconnected() = 0;
};

} // namespace krv
