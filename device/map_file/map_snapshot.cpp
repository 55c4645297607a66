#include "device/map_file/map_snapshot.h"

#include "device/units.h"

namespace krv {

MapSnapshot snapshotOf(const CLPGDevice& device) {
    MapSnapshot snapshot;
    for (size_t i = 0; i < kMapCells; ++i) {
        snapshot.cells[i] = units::mapCellWire(device.map[i]);
    }
    for (size_t r = 0; r < kMapRows; ++r) {
        snapshot.rows[r] = units::rowBreakWire(device.rowAxis[r]);
    }
    for (size_t c = 0; c < kMapColumns; ++c) {
        snapshot.columns[c] = units::columnBreakWire(device.columnAxis[c]);
    }
    snapshot.rpmDivider = device.rpmDivider;
    snapshot.noiseDelta = device.noiseDelta;
    snapshot.noisePeriod = device.noisePeriod;
    return snapshot;
}

void applySnapshot(const MapSnapshot& snapshot, CLPGDevice& device) {
    for (size_t i = 0; i < kMapCells; ++i) {
        device.map[i] = units::mapCellVolts(snapshot.cells[i]);
    }
    for (size_t r = 0; r < kMapRows; ++r) {
        device.rowAxis[r] = units::rowBreakVolts(snapshot.rows[r]);
    }
    for (size_t c = 0; c < kMapColumns; ++c) {
        device.columnAxis[c] = units::columnBreakRpm(snapshot.columns[c]);
    }
    device.rpmDivider = snapshot.rpmDivider;
    device.noiseDelta = snapshot.noiseDelta;
    device.noisePeriod = snapshot.noisePeriod;
}

SnapshotParts differingParts(const MapSnapshot& from, const MapSnapshot& to) {
    SnapshotParts parts;
    parts.cells = from.cells != to.cells;
    parts.axes = from.rows != to.rows || from.columns != to.columns;
    parts.settings = from.rpmDivider != to.rpmDivider || from.noiseDelta != to.noiseDelta ||
                     from.noisePeriod != to.noisePeriod;
    return parts;
}

bool writeSnapshotParts(CLPGDevice& device, const MapSnapshot& target, SnapshotParts parts) {
    applySnapshot(target, device);
    bool written = true;
    if (parts.axes) {
        written = device.writeMapAxes() && written;
    }
    if (parts.settings) {
        written = device.writeSettings() && written;
    }
    if (parts.cells) {
        written = device.writeMap() && device.storeMap() && written;
    }
    return written;
}

bool controllerHolds(CLPGDevice& device, const MapSnapshot& target) {
    if (!device.readSettings() || !device.readMap() || !device.readMapAxes()) {
        return false;
    }
    return snapshotOf(device) == target;
}

} // namespace krv
