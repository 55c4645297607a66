#include "calibration/calibration_sample.h"

#include <cmath>

namespace krv {

double toThousandths(double value) {
    return std::round(value * 1000.0) / 1000.0;
}

CalibrationSample calibrationSampleOf(const CDiag& reading, double seconds) {
    return {toThousandths(seconds),
            reading.sampleNumber,
            engineSpeedRpm(reading),
            toThousandths(inputVolts(reading)),
            toThousandths(pumpPwmVolts(reading)),
            isWorking(reading)};
}

} // namespace krv
