#pragma once
// Markers set while a log is replayed. The log stays as it was recorded; they are kept in a
// file beside it, one line a marker as the recording writes them ("# marker 3 at 12.500 s").

#include "readings_log/readings_log.h"

#include <string>
#include <string_view>
#include <vector>

namespace krv {

// "<log>.markers".
std::string markersFilePath(const std::string& logPath);
std::string formatMarkers(const std::vector<LogMarker>& markers);
// The marker lines of such a file; any other line is passed over.
std::vector<LogMarker> parseMarkers(std::string_view text);

// The log's markers with those of the file beside it: a file marker whose number the log
// already has is the log's own and is left out. Sorted by time.
void mergeMarkers(std::vector<LogMarker>& into, const std::vector<LogMarker>& added);

} // namespace krv
