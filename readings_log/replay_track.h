#pragma once
// A readings log as the replay walks it: a cursor on one reading, moved by steps, by time or by
// playing; the readings of the last seconds before it (the trail); and how long the drive
// stayed in each map cell. Which cell a reading falls in is the map's business: the caller
// gives one cell number per reading.

#include "readings_log/readings_log.h"

#include <cstddef>
#include <vector>

namespace krv {

class CReplayTrack {
public:
    // The log has at least one reading.
    explicit CReplayTrack(ReadingsLog log);

    const ReadingsLog& log() const { return log_; }
    size_t size() const { return log_.readings.size(); }
    size_t cursor() const { return cursor_; }
    const LogReading& atCursor() const { return log_.readings[cursor_]; }
    double firstSeconds() const { return log_.readings.front().seconds; }
    double lastSeconds() const { return log_.readings.back().seconds; }

    // Each clamped to the log.
    void moveTo(size_t index);
    void step(long readings);
    // The last reading at or before the time (the first one before the log starts).
    void moveToSeconds(double seconds);
    // Plays on by the given log time; false once the last reading is reached.
    bool play(double seconds);
    bool atEnd() const { return cursor_ + 1 == size(); }

    // A marker at the cursor's reading, numbered after every marker there is; the markers stay
    // in time order.
    const LogMarker& addMarkerAtCursor();
    // Markers from elsewhere (the file beside the log), see mergeMarkers.
    void addMarkers(const std::vector<LogMarker>& markers);

    // The first reading of the last `seconds` up to the cursor.
    size_t trailStart(double seconds) const;

private:
    ReadingsLog log_;
    size_t cursor_ = 0;
    // Where playing stands between two readings.
    double playSeconds_ = 0;
};

// Seconds spent in each cell: each reading holds its cell until the next reading, except across
// a lost link and for longer than maxHold (a stall of the recording is not a stay).
std::vector<double> dwellSeconds(const ReadingsLog& log, const std::vector<int>& cellOfReading,
                                 int cellCount, double maxHold);

} // namespace krv
