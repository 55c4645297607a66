#pragma once
// The controller's map, axes and settings exactly as the controller holds them (wire units),
// so that saving, restoring and comparing never round through volts.

#include "device/lpg_device.h"

#include <array>
#include <cstdint>

namespace krv {

struct MapSnapshot {
    std::array<uint8_t, kMapCells> cells{}; // index row * 15 + column
    std::array<int16_t, kMapRows> rows{};
    std::array<uint8_t, kMapColumns> columns{};
    uint8_t rpmDivider = 1;
    uint8_t noiseDelta = 0;
    uint16_t noisePeriod = 0;

    bool operator==(const MapSnapshot&) const = default;
};

MapSnapshot snapshotOf(const CLPGDevice& device);
// Sets the device's fields (volts and rpm converted from the wire units); writes nothing.
void applySnapshot(const MapSnapshot& snapshot, CLPGDevice& device);

// Which of the controller's three writes a change from one snapshot to another needs.
struct SnapshotParts {
    bool cells = false;
    bool axes = false;
    bool settings = false;
};

SnapshotParts differingParts(const MapSnapshot& from, const MapSnapshot& to);

// Applies target to the device and writes to the controller the parts given: the axes, the
// settings (which the controller takes together with the map), the map, then stores the map.
// False when any write is not acknowledged. A port failure raises CRSError* as every command.
bool writeSnapshotParts(CLPGDevice& device, const MapSnapshot& target, SnapshotParts parts);

// Reads settings, map and axes back and tells whether the controller holds target exactly.
bool controllerHolds(CLPGDevice& device, const MapSnapshot& target);

} // namespace krv
