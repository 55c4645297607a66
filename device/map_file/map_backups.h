#pragma once
// Automatic backups of the controller's map: a map file written before anything overwrites
// the map, axes or settings as a whole, so that no car's map is lost to a click. A backup
// that cannot be written must stop the operation; the caller shows the message.

#include "device/map_file/map_file.h"

#include <ctime>
#include <string>
#include <string_view>

namespace krv {

inline constexpr size_t kBackupsKept = 500;

// ${XDG_DATA_HOME:-$HOME/.local/share}/Morvelcast/backups, or "" when neither tells.
std::string mapBackupFolder();

struct MapBackupWrite {
    bool ok = false;
    std::string path;     // the file written
    std::u16string error; // translated, with the folder and the system's reason
};

// Whether a file name has the shape of the backups' names (what else a user keeps in the folder
// is neither pruned nor read as a backup).
bool isMapBackupName(const std::string& name);

// Writes YYYY-MM-DD_HH-MM-SS.mmm_<operation>.csv atomically into folder (made when missing),
// never over an existing backup, then removes all but the newest kBackupsKept backups (by their
// modification time; the one just written is always kept).
// operation: a short ASCII tag such as "clear" or "calibration".
MapBackupWrite writeMapBackup(const std::string& folder, std::string_view operation,
                              const MapSnapshot& snapshot, const MapFileInfo& info);

// The same into mapBackupFolder().
MapBackupWrite writeMapBackup(std::string_view operation, const MapSnapshot& snapshot,
                              const MapFileInfo& info);

} // namespace krv
