#include "map/operating_trail.h"

#include <algorithm>

namespace krv {

namespace {

const QColor kTrailColour(40, 110, 230);
// The freshest visit; the cell's own colour still shows a little under it.
constexpr double kStrongestTint = 0.8;

QColor mixed(const QColor& from, const QColor& to, double weight) {
    const auto mix = [weight](int a, int b) { return static_cast<int>(a + (b - a) * weight); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

} // namespace

void paintTrail(std::vector<QColor>& colours, std::span<const TrailPoint> points) {
    std::vector<bool> painted(colours.size(), false);
    for (auto point = points.rbegin(); point != points.rend(); ++point) {
        if (point->cell >= colours.size() || painted[point->cell] || point->age > kTrailSeconds) {
            continue;
        }
        const double freshness = 1 - std::max(point->age, 0.0) / kTrailSeconds;
        colours[point->cell] =
            mixed(colours[point->cell], kTrailColour, kStrongestTint * freshness);
        painted[point->cell] = true;
    }
}

} // namespace krv
