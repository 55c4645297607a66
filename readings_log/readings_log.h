#pragma once
// Reading back the readings log this tool writes (device/readings_csv.h): its header, one
// reading a row, where the link went down and came back, and the markers set while recording.
// A last line cut off by a recording that ended hard is dropped; anything else out of place
// refuses the whole log with a message naming the line and the fault.

#include "device/lpg_device.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krv {

struct LogReading {
    double seconds = 0;  // since the log's start
    uint32_t sample = 0; // the tool's sample number
    int rpm = 0;
    double input = 0, output = 0, pump = 0; // volts
    bool working = false;
};

struct LogMarker {
    int number = 0;
    double seconds = 0;
};

struct LogGap {
    double lostAt = 0;
    double backAt = 0; // < 0: the link never came back
};

struct ReadingsLog {
    std::string started; // the header's start time, as written
    uint16_t firmwareVersion = 0;
    std::optional<MapAxes> axes; // the map's axes while recording, when the header names them
    std::vector<LogReading> readings;
    std::vector<LogMarker> markers;
    std::vector<LogGap> gaps;
};

struct ReadingsLogRead {
    std::optional<ReadingsLog> log; // set when the file reads
    std::string error;              // UTF-8, names the line and what is wrong
    bool ok() const { return log.has_value(); }
};

// About a day of polling; a larger file is refused before it is read.
inline constexpr std::size_t kReadingsLogMaxBytes = 64 * 1024 * 1024;

ReadingsLogRead parseReadingsLog(std::string_view text);
// Refuses, before reading a byte, anything but a regular file of at most kReadingsLogMaxBytes.
ReadingsLogRead readReadingsLog(const std::string& path);

} // namespace krv
