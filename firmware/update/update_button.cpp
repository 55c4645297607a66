#include "firmware/update/firmware_update.h"

namespace krv {

void OnClickedBtnDeviceUpdate(CLPGConnection& device, IConnectionHost& window, MessageOwner owner) {
    if (!device.connected) {
        return;
    }
    try {
        window.updateFirmware(false);
    } catch (IError* error) {
        reportError(owner, std::u16string(firmware_update::kButtonOperation), error);
        // The port failed under the update: the controller may be anywhere up to its bootloader.
        device.markLinkLost();
    }
}

} // namespace krv
