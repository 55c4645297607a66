#include "device/lpg_device.h"

#include "device/units.h"

namespace krv {

CLPGDevice::CLPGDevice() {
    for (int k = 0; k < kMapRows; ++k) {
        rowAxis[k] = units::controllerVolts(64.0 * (k + 1), 3.0);
    }
    for (int j = 0; j < kMapColumns; ++j) {
        columnAxis[j] = 500.0 + 300.0 * j;
    }
}

bool CLPGDevice::transact(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    return exchange_.transact(buffer, length, frameType);
}

uint8_t CLPGDevice::transactPolled(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    return exchange_.transactPolled(buffer, length, frameType);
}

} // namespace krv
