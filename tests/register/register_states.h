#pragma once
// Controller states for the register's tests, told apart by their cells.

#include "connection/connection_host.h"

namespace krv::test {

// A map whose cells are all fill, with its first `changed` cells one higher.
inline ControllerData controllerState(uint8_t fill, int changed = 0, uint16_t firmware = 0x0105) {
    ControllerData data;
    data.firmwareVersion = firmware;
    data.state.cells.fill(fill);
    for (int i = 0; i < changed; ++i) {
        data.state.cells[static_cast<size_t>(i)] = static_cast<uint8_t>(fill + 1);
    }
    return data;
}

} // namespace krv::test
