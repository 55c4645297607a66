#pragma once
// One reading as the calibration files it, from the live readings or from a recorded log. Time
// and voltages are kept to the log's thousandths, so a drive and its log give the same samples.

#include "device/diag.h"
#include "readings_log/readings_log.h"

#include <cstdint>
#include <vector>

namespace krv {

struct CalibrationSample {
    double seconds = 0;   // since the drive or the log started
    uint32_t sample = 0;  // the reading's number; the same number again is the same reading
    int rpm = 0;          // 0 while the engine stands
    double input = 0;     // volts: the signal the map learns
    double pump = 0;      // pump PWM, volts
    bool working = false; // on gas: the input is not petrol's
};

CalibrationSample calibrationSampleOf(const CDiag& reading, double seconds);
CalibrationSample calibrationSampleOf(const LogReading& reading);
std::vector<CalibrationSample> calibrationSamplesOf(const ReadingsLog& log);

// Rounded to thousandths, as the readings log writes times and voltages.
double toThousandths(double value);

} // namespace krv
