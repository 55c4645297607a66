#pragma once
// The readings log format, one shared piece for the command line's log and the window's chart
// files: a few '#' comment lines, a header line, then one CSV row a sample (dot decimals).
//
//   # krv readings
//   # started,2026-12-10T17:05:09+01:00
//   # firmware version,256
//   # row axis,0.960,1.920,...            (16 volts; these two lines may be absent)
//   # column axis,500,800,...             (15 rpm)
//   seconds,sample,rpm,input V,output V,pump PWM V,work state
//   0.052,1,2210,2.000,2.035,3.165,0
//   # link lost at 3.120 s
//   # marker 1 at 4.250 s

#include "device/diag.h"
#include "device/lpg_device.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace krv::readings_csv {

// The fixed pieces, shared with the log's reader.
inline constexpr std::string_view kTitleLine = "# krv readings";
inline constexpr std::string_view kStartedPrefix = "# started,";
inline constexpr std::string_view kFirmwarePrefix = "# firmware version,";
inline constexpr std::string_view kRowAxisPrefix = "# row axis,";
inline constexpr std::string_view kColumnAxisPrefix = "# column axis,";
inline constexpr std::string_view kColumnRow =
    "seconds,sample,rpm,input V,output V,pump PWM V,work state";
inline constexpr std::string_view kLinkLost = "link lost";
inline constexpr std::string_view kLinkBack = "link back";
inline constexpr std::string_view kMarker = "marker";

// The comment lines and the header line, each ended by '\n'. The start time is written as
// local time with its offset from UTC. The axes, when known, say which map the readings were
// taken under (the row axis in volts with 3 decimals, the column axis in rpm).
std::string header(std::chrono::system_clock::time_point started, uint16_t firmwareVersion,
                   const std::optional<MapAxes>& axes = std::nullopt);

// One sample: seconds since the start (3 decimals), the sample number, rpm, the three voltages
// (3 decimals, which carry every wire step exactly) and the work state (1 working, 0 not).
std::string row(double seconds, uint64_t sampleNumber, const CDiag& sample);

// A comment line that marks where the link to the controller went down or came back.
std::string linkLostComment(double seconds);
std::string linkBackComment(double seconds);
// A comment line that marks a moment the user pointed out while recording; numbered from 1.
std::string markerComment(int number, double seconds);

} // namespace krv::readings_csv
