#include "device/map_file/map_snapshot.h"

namespace krv {

void MapSnapshot::setSettings(const DeviceSettings& settings) {
    rpmDivider = settings.rpmDivider;
    noiseDelta = settings.noiseDelta;
    noisePeriod = settings.noisePeriod;
}

void MapSnapshot::setAxes(const MapAxes& axes) {
    rows = axes.rows;
    columns = axes.columns;
}

SnapshotParts differingParts(const MapSnapshot& from, const MapSnapshot& to) {
    SnapshotParts parts;
    parts.cells = from.cells != to.cells;
    parts.axes = from.axes() != to.axes();
    parts.settings = from.settings() != to.settings();
    return parts;
}

SnapshotWrite writeSnapshotParts(CLPGDevice& device, const MapSnapshot& from,
                                 const MapSnapshot& target, SnapshotParts parts) {
    SnapshotWrite write{true, from};
    if (parts.axes) {
        if (device.writeMapAxes(target.axes())) {
            write.holds.setAxes(target.axes());
        } else {
            write.complete = false;
        }
    }
    if (parts.settings) {
        if (device.writeSettings(target.settings(), target.cells)) {
            write.holds.setSettings(target.settings());
        } else {
            write.complete = false;
        }
    }
    if (parts.cells) {
        if (device.writeMap(target.cells) && device.storeMap()) {
            write.holds.cells = target.cells;
        } else {
            write.complete = false;
        }
    }
    return write;
}

std::optional<MapSnapshot> readControllerState(CLPGDevice& device) {
    const auto settings = device.readSettings();
    if (!settings) {
        return std::nullopt;
    }
    const auto cells = device.readMap();
    if (!cells) {
        return std::nullopt;
    }
    const auto axes = device.readMapAxes();
    if (!axes) {
        return std::nullopt;
    }
    MapSnapshot snapshot;
    snapshot.cells = *cells;
    snapshot.setAxes(*axes);
    snapshot.setSettings(*settings);
    return snapshot;
}

} // namespace krv
