#include "device/demo_readings.h"

#include <atomic>

namespace krv {
namespace {

std::atomic<uint32_t> demoCounter{1};

} // namespace

uint32_t nextDemoReading(CDiag& record) {
    const uint32_t number = demoCounter.fetch_add(1);
    record.raw.fill(0);
    record.setWord(CDiag::kRpmPeriod, 3400);
    record.setWord(CDiag::kPumpPwm, 211);
    record.setWord(CDiag::kInputVoltage, 400);
    record.setWord(CDiag::kOutputVoltage, 407);
    record.raw[CDiag::kWorkState] = 2;
    record.sampleNumber = number;
    return number;
}

void restartDemoReadings() {
    demoCounter.store(1);
}

} // namespace krv
