#include "readings_log/replay_track.h"

#include "readings_log/log_markers.h"

#include <algorithm>

namespace krv {

CReplayTrack::CReplayTrack(ReadingsLog log) : log_(std::move(log)) {
    playSeconds_ = firstSeconds();
}

void CReplayTrack::moveTo(size_t index) {
    cursor_ = std::min(index, size() - 1);
    playSeconds_ = atCursor().seconds;
}

void CReplayTrack::step(long readings) {
    const long target = static_cast<long>(cursor_) + readings;
    moveTo(static_cast<size_t>(std::max(target, 0L)));
}

void CReplayTrack::moveToSeconds(double seconds) {
    const auto& readings = log_.readings;
    const auto after = std::upper_bound(
        readings.begin(), readings.end(), seconds,
        [](double time, const LogReading& reading) { return time < reading.seconds; });
    cursor_ = after == readings.begin() ? 0 : static_cast<size_t>(after - readings.begin()) - 1;
    playSeconds_ = std::clamp(seconds, firstSeconds(), lastSeconds());
}

const LogMarker& CReplayTrack::addMarkerAtCursor() {
    int number = 0;
    for (const LogMarker& marker : log_.markers) {
        number = std::max(number, marker.number);
    }
    const LogMarker added{number + 1, atCursor().seconds};
    addMarkers({added});
    return *std::find_if(log_.markers.begin(), log_.markers.end(),
                         [&](const LogMarker& marker) { return marker.number == added.number; });
}

void CReplayTrack::addMarkers(const std::vector<LogMarker>& markers) {
    mergeMarkers(log_.markers, markers);
}

bool CReplayTrack::play(double seconds) {
    moveToSeconds(playSeconds_ + seconds);
    return !atEnd();
}

size_t CReplayTrack::trailStart(double seconds) const {
    const auto& readings = log_.readings;
    const double from = atCursor().seconds - seconds;
    const auto end = readings.begin() + static_cast<long>(cursor_);
    const auto first =
        std::lower_bound(readings.begin(), end, from, [](const LogReading& reading, double time) {
            return reading.seconds < time;
        });
    return static_cast<size_t>(first - readings.begin());
}

std::vector<double> dwellSeconds(const ReadingsLog& log, const std::vector<int>& cellOfReading,
                                 int cellCount, double maxHold) {
    std::vector<double> dwell(static_cast<size_t>(std::max(cellCount, 0)), 0.0);
    const auto& readings = log.readings;
    const size_t count = std::min(readings.size(), cellOfReading.size());
    // Both the readings and the gaps run forward in time.
    auto gap = log.gaps.begin();
    for (size_t i = 0; i + 1 < count; ++i) {
        const double from = readings[i].seconds;
        const double to = readings[i + 1].seconds;
        while (gap != log.gaps.end() && gap->lostAt < from) {
            ++gap;
        }
        const bool linkLost = gap != log.gaps.end() && gap->lostAt < to;
        const int cell = cellOfReading[i];
        if (!linkLost && cell >= 0 && cell < cellCount) {
            dwell[static_cast<size_t>(cell)] += std::min(to - from, maxHold);
        }
    }
    return dwell;
}

} // namespace krv
