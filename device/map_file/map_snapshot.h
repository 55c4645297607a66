#pragma once
// The controller's map, axes and settings exactly as the controller holds them (wire units),
// so that saving, restoring and comparing never round through volts. The one value type of
// what a controller holds: read from it, written to it, kept by the window and the files.

#include "device/lpg_device.h"

#include <array>
#include <cstdint>
#include <optional>

namespace krv {

struct MapSnapshot {
    MapCells cells{}; // index row * 15 + column
    std::array<int16_t, kMapRows> rows = defaultMapAxes().rows;
    std::array<uint8_t, kMapColumns> columns = defaultMapAxes().columns;
    uint8_t rpmDivider = 1;
    uint8_t noiseDelta = 0;
    uint16_t noisePeriod = 0;

    DeviceSettings settings() const { return {rpmDivider, noiseDelta, noisePeriod}; }
    void setSettings(const DeviceSettings& settings);
    MapAxes axes() const { return {rows, columns}; }
    void setAxes(const MapAxes& axes);

    bool operator==(const MapSnapshot&) const = default;
};

// Which of the controller's three writes a change from one snapshot to another needs.
struct SnapshotParts {
    bool cells = false;
    bool axes = false;
    bool settings = false;
};

SnapshotParts differingParts(const MapSnapshot& from, const MapSnapshot& to);

// Reads settings, map and axes, in that order; nothing when any read fails.
std::optional<MapSnapshot> readControllerState(CLPGDevice& device);

} // namespace krv
