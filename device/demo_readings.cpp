#include "device/demo_readings.h"

namespace krv {

void demoReading(CDiag& record, uint32_t number) {
    record.raw.fill(0);
    record.setWord(CDiag::kRpmPeriod, 3400);
    record.setWord(CDiag::kPumpPwm, 211);
    record.setWord(CDiag::kInputVoltage, 400);
    record.setWord(CDiag::kOutputVoltage, 407);
    record.raw[CDiag::kWorkState] = 2;
    record.sampleNumber = number;
}

} // namespace krv
