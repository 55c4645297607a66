#pragma once
// Reprogramming the controller from a firmware file: choose and check the file, drive the
// bootloader with retries, then find the controller again. Runs on the user-interface thread
// and blocks it; a failing port leaves by an error object (IError*), which the caller reports.

#include "connection/lpg_connection.h"
#include "connection/connection_host.h"
#include "firmware/update/firmware_update_window.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace krv {

namespace firmware_update {
inline constexpr std::u16string_view kFolderName = u"Morvelcast Firmware";
inline constexpr std::u16string_view kDataFolder = u"Morvelcast/Firmware"; // in XDG_DATA_HOME
inline constexpr std::u16string_view kServedTypeFolder = u"33EP";          // device type 17
inline constexpr uint16_t kServedTargetCode = 0x0101;
inline constexpr std::u16string_view kServedIdentification = u"MORVELCASTR_33EP";
inline constexpr std::u16string_view kDefaultExtension = u"afm";
inline constexpr int kProgrammingAttempts = 10;
inline constexpr std::chrono::milliseconds kPauseAfterQuery{1000};
inline constexpr std::chrono::milliseconds kPauseBeforeReconnect{1000};
inline constexpr std::u16string_view kButtonOperation = u"CKorrinDlg::OnClickedBtnDeviceUpdate()";
} // namespace firmware_update

// How the update waits. Tests pass their own so that they need not wait real seconds.
using SleepFor = std::function<void(std::chrono::milliseconds)>;
void sleepFor(std::chrono::milliseconds duration);

// Where the file dialog opens: "Morvelcast Firmware/33EP" beside the executable, or else
// Morvelcast/Firmware/33EP in ${XDG_DATA_HOME:-$HOME/.local/share} when that exists.
std::u16string firmwareDirectory();

// The whole update. True once the controller was programmed, even when it is not found again
// afterwards (the window has said so); false in every other case, each with its message or
// none. When the programming fails or the controller is not found again, the link is marked
// lost, so the reconnect finds a controller left in its bootloader. Forced: the controller already
// waits in its bootloader (found by the connection's search), so the bootloader is not asked for
// and polling is neither stopped nor restarted. The device's host must be set (connect has
// run), as the controller is searched for again through it.
bool updateFirmware(CLPGConnection& device, IFirmwareUpdateWindow& window, bool forced,
                    const SleepFor& sleep = sleepFor);

// Button 1026: while connected, the window's non-forced update; an error object raised on the
// way is shown under the handler's name and released, and the link is marked lost.
void OnClickedBtnDeviceUpdate(CLPGConnection& device, IConnectionHost& window, MessageOwner owner);

} // namespace krv
