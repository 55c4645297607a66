#pragma once
// Drives written out reading by reading at the polling rate, quantised as the wire carries them,
// on a map whose axes are a car's: rows every 0.75 V of pump PWM, columns every 300 rpm.

#include "calibration/calibration_sample.h"
#include "device/map_file/map_snapshot.h"

#include <functional>
#include <vector>

namespace krv::test {

struct DrivePoint {
    int rpm = 0;
    double pump = 0;
    double input = 0;
    bool working = false;
};

inline constexpr double kPollSeconds = 0.05;

class SyntheticDrive {
public:
    // Readings for the seconds given, `at` taking the time since this part began.
    SyntheticDrive& run(double seconds, const std::function<DrivePoint(double)>& at);
    // A steady hold whose input wanders by up to 10 mV around the value.
    SyntheticDrive& hold(double seconds, int rpm, double pump, double input);
    // Time passes without readings.
    SyntheticDrive& pause(double seconds);

    const std::vector<CalibrationSample>& samples() const { return samples_; }

private:
    std::vector<CalibrationSample> samples_;
    double seconds_ = 0;
    uint32_t number_ = 0;
};

MapSnapshot carMap();
// The centre of row `row` (pump PWM volts) and of column `column` (rpm) of carMap().
double rowCentre(int row);
int columnCentre(int column);

} // namespace krv::test
