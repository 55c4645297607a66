#pragma once
// A readings record as the controller sends it, in controller units.

#include "device/diag.h"

#include <cstdint>

namespace krv::test {

inline CDiag readingsRecord(uint16_t rpmPeriod, int16_t pumpPwm, uint16_t input, uint16_t output,
                            uint8_t workState, uint32_t number = 0) {
    CDiag record;
    record.setWord(CDiag::kRpmPeriod, rpmPeriod);
    record.setWord(CDiag::kPumpPwm, static_cast<uint16_t>(pumpPwm));
    record.setWord(CDiag::kInputVoltage, input);
    record.setWord(CDiag::kOutputVoltage, output);
    record.raw[CDiag::kWorkState] = workState;
    record.sampleNumber = number;
    return record;
}

} // namespace krv::test
