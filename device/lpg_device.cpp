#include "device/lpg_device.h"

namespace krv {

MapAxes defaultMapAxes() {
    MapAxes axes;
    for (int k = 0; k < kMapRows; ++k) {
        axes.rows[k] = static_cast<int16_t>(64 * (k + 1)); // 0.96 V apart
    }
    for (int j = 0; j < kMapColumns; ++j) {
        axes.columns[j] = static_cast<uint8_t>(5 + 3 * j); // from 500 rpm, 300 rpm apart
    }
    return axes;
}

CLPGDevice::CLPGDevice() = default;

bool CLPGDevice::transact(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    return exchange_.transact(buffer, length, frameType);
}

uint8_t CLPGDevice::transactPolled(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    return exchange_.transactPolled(buffer, length, frameType);
}

} // namespace krv
