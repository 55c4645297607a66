#pragma once
// Where a point of the map's surface lands on a flat view: the grid of cells (column along
// the speed axis, row along the voltage axis) with each cell's value as its height, turned
// about the vertical axis, tilted towards the viewer and scaled into a viewport. Orthographic,
// so what lies over a cell's centre on screen does not depend on its distance.

namespace krv {

struct ProjectedPoint {
    double x = 0;
    double y = 0;     // down the screen
    double depth = 0; // larger is further from the viewer
};

struct SurfaceProjection {
    static constexpr double kDefaultYaw = -35.0;  // degrees
    static constexpr double kDefaultPitch = 35.0; // degrees above the base plane
    static constexpr double kHeightShare = 0.45;  // the full value range against the base

    int columns = 1;
    int rows = 1;
    double topValue = 1.0; // the height the value range is scaled to
    double width = 1.0;    // viewport, pixels
    double height = 1.0;
    double yaw = kDefaultYaw;
    double pitch = kDefaultPitch;
    double zoom = 1.0;

    // column and row as fractional cell indices (a cell's centre at whole numbers), value in
    // the map's own units.
    ProjectedPoint project(double column, double row, double value) const;
    // Turns by the given degrees; the tilt stays between a side view and a view from above.
    void rotate(double yawDegrees, double pitchDegrees);
    // Multiplies the zoom, kept within reason.
    void zoomBy(double factor);
    void reset();
};

} // namespace krv
