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

CalibrationSample calibrationSampleOf(const LogReading& reading) {
    return {
        toThousandths(reading.seconds), reading.sample, reading.rpm, toThousandths(reading.input),
        toThousandths(reading.pump),    reading.working};
}

std::vector<CalibrationSample> calibrationSamplesOf(const ReadingsLog& log) {
    std::vector<CalibrationSample> samples;
    samples.reserve(log.readings.size());
    for (const LogReading& reading : log.readings) {
        samples.push_back(calibrationSampleOf(reading));
    }
    return samples;
}

} // namespace krv
