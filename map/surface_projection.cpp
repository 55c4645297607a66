#include "map/surface_projection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace krv {

namespace {

constexpr double kMinZoom = 0.3;
constexpr double kMaxZoom = 6.0;
constexpr double kViewportShare = 0.62; // of the smaller side, at zoom 1

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// -0.5 … 0.5 across n cells' centres; a lone cell sits in the middle.
double centred(double index, int count) {
    return count > 1 ? index / (count - 1) - 0.5 : 0.0;
}

} // namespace

ProjectedPoint SurfaceProjection::project(double column, double row, double value) const {
    const double x = centred(column, columns);
    const double y = centred(row, rows);
    const double z = (topValue > 0 ? value / topValue : 0.0) * kHeightShare;
    const double yawRad = radians(yaw);
    const double pitchRad = radians(pitch);
    // About the vertical axis, then tilted: y1 runs away from the viewer before the tilt.
    const double x1 = x * std::cos(yawRad) - y * std::sin(yawRad);
    const double y1 = x * std::sin(yawRad) + y * std::cos(yawRad);
    const double up = z * std::cos(pitchRad) + y1 * std::sin(pitchRad);
    const double depth = y1 * std::cos(pitchRad) - z * std::sin(pitchRad);
    const double scale = zoom * std::min(width, height) * kViewportShare;
    return {width / 2 + scale * x1, height / 2 - scale * up, depth};
}

void SurfaceProjection::rotate(double yawDegrees, double pitchDegrees) {
    yaw = std::fmod(yaw + yawDegrees, 360.0);
    pitch = std::clamp(pitch + pitchDegrees, 0.0, 90.0);
}

void SurfaceProjection::zoomBy(double factor) {
    zoom = std::clamp(zoom * factor, kMinZoom, kMaxZoom);
}

void SurfaceProjection::reset() {
    yaw = kDefaultYaw;
    pitch = kDefaultPitch;
    zoom = 1.0;
}

} // namespace krv
