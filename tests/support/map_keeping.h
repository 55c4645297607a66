#pragma once
// What the map-keeping tests look at: the simulated controller's map, axes and settings as a
// snapshot, and the backup files an operation left with the map they hold.

#include "device/map_file/map_file.h"
#include "device/map_file/map_snapshot.h"
#include "sim/controller/controller.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace krv::test {

inline MapSnapshot snapshotOfController(const sim::CController& controller) {
    const auto state = controller.state();
    MapSnapshot snapshot;
    snapshot.cells = state.map;
    snapshot.rows = state.rowAxis;
    snapshot.columns = state.columnAxis;
    snapshot.rpmDivider = state.settings.rpmDivider;
    snapshot.noiseDelta = state.settings.noiseDelta;
    snapshot.noisePeriod = state.settings.noisePeriod;
    return snapshot;
}

// The files in folder whose names end with suffix, in name (that is age) order.
inline std::vector<std::string> backupFiles(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().string().ends_with(suffix)) {
            found.push_back(entry.path().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The map of the one backup in folder whose name ends with suffix; nothing when there is none,
// more than one, or it does not read.
inline std::optional<MapCells> onlyBackupCells(const std::string& folder,
                                               const std::string& suffix) {
    const std::vector<std::string> found = backupFiles(folder, suffix);
    if (found.size() != 1) {
        return std::nullopt;
    }
    const MapFileRead read = readMapFile(found[0]);
    return read.ok() ? std::optional<MapCells>(read.content->snapshot.cells) : std::nullopt;
}

} // namespace krv::test
