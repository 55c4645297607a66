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
