#pragma once
// The fading trail of the operating point on the map: the cells the engine passed in the last
// seconds, tinted over their own colours, the fresher the visit the stronger. The replay and
// the live calibration drive show it alike.

#include <QColor>
#include <cstddef>
#include <span>
#include <vector>

namespace krv {

inline constexpr double kTrailSeconds = 5;

struct TrailPoint {
    size_t cell; // value cell, row-major
    double age;  // seconds before now
};

// colours: one per value cell. points: oldest first; a cell shows its latest visit, and points
// older than kTrailSeconds or outside the cells leave it as it is.
void paintTrail(std::vector<QColor>& colours, std::span<const TrailPoint> points);

} // namespace krv
