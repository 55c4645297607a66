#pragma once
// The limits of the calibration. The defaults come from the simulated petrol drive (sensor lag
// 0.3 s, 20 % overshoot after load steps, 15 mV noise at 50 ms polling); the README says why.

namespace krv {

struct CalibrationParameters {
    // A reading counts only when, over this window before it, the engine held.
    double windowSeconds = 1.0;
    int maxRpmChange = 150;     // highest minus lowest engine speed in the window
    double maxPumpChange = 0.3; // volts, highest minus lowest pump PWM in the window
    // Volts per second between the medians of the window's halves: the input has settled.
    double maxInputSlope = 0.05;
    double maxGapSeconds = 0.5; // a longer silence between readings starts the window afresh

    double dropoutVolts = 0.1; // an input at or below is a sensor dropping out
    // A reading further from the window's median than this many robust deviations (1.4826 x
    // the median absolute deviation), and further than the floor, is a spike.
    double outlierDeviations = 5.0;
    double outlierFloorVolts = 0.05;

    int minHits = 15; // steady readings a cell needs to be learned
    // Readings near the cell's centre count more (weight 1 / (1 + u^2 + v^2), u and v the
    // distances from the centre in half cell widths).
    bool weightByDistance = false;
    // Cells without a steady reading get a value from learned neighbours along the row and
    // column, only when a learned cell is next to them.
    bool predictUnreached = false;
};

} // namespace krv
