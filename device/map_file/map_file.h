#pragma once
// The map file: a CSV file a spreadsheet opens (UTF-8, commas, dot decimals). First
// "key,value" lines, one empty line, then the grid as the window shows it: "V\RPM" and the
// column break points in rpm, then 16 rows of a row break point and 15 cells in volts. Every
// value has the decimals that read back to the same wire unit.

#include "device/map_file/map_snapshot.h"
#include "platform/local_time.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace krv {

struct MapFileInfo {
    uint8_t deviceType = kServedDeviceType;
    uint16_t firmwareVersion = 0;
    std::string saved; // ISO 8601 local time, e.g. 2026-12-10T16:30:05+01:00
};

struct MapFileContent {
    MapSnapshot snapshot;
    MapFileInfo info;
};

// What reading a map file gave: the content, or a translated message naming the line and the
// fault (line 0 for a fault of the file as a whole, which names the path and the system's
// reason on a line of its own).
struct MapFileRead {
    std::optional<MapFileContent> content;
    std::u16string error;
    int errorLine = 0;

    bool ok() const { return content.has_value(); }
};

inline constexpr size_t kMapFileMaxBytes = 1024 * 1024;

std::string formatMapFile(const MapSnapshot& snapshot, const MapFileInfo& info);
// Refuses, besides malformed text, a file cut off (no line break after its last line) and
// settings or axes the window would not take (device/editable_limits.h).
MapFileRead parseMapFile(std::string_view text);
// Refuses, before reading a byte, anything but a regular file of at most kMapFileMaxBytes.
MapFileRead readMapFile(const std::string& path);

// Whether a file was saved from a controller of another type or firmware version than the
// one connected, and the translated message that says how (empty when neither differs).
struct IdentityDifference {
    bool deviceType = false;
    bool firmwareVersion = false;
    std::u16string message;

    bool any() const { return deviceType || firmwareVersion; }
};

IdentityDifference identityDifference(const MapFileInfo& file, const MapFileInfo& controller);

// The controller's type and version with the current local time as the saving time.
MapFileInfo mapFileInfoOf(uint8_t deviceType, uint16_t firmwareVersion);
MapFileInfo mapFileInfoOf(const CLPGDevice& device);

} // namespace krv
