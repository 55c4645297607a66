#include "firmware/update/firmware_update.h"

namespace krv {

void OnClickedBtnDeviceUpdate(CLPGDevice& device, IMainWindow& window, MessageOwner owner) {
    if (!device.connected) {
        return;
    }
    try {
        window.updateFirmware(false);
    } catch (IError* error) {
        reportError(owner, std::u16string(firmware_update::kButtonOperation), error);
    }
}

} // namespace krv
