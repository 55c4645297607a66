#include "device/diag.h"

#include "device/units.h"

namespace krv {

int engineSpeedRpm(const CDiag& sample) {
    const uint16_t period = sample.rpmPeriod();
    if (period == 0 || period == 0xFFFF) {
        return 0;
    }
    const int exactRpm = 7500000 / period;
    return static_cast<int>(units::roundHalfAway(exactRpm / 10.0)) * 10;
}

double pumpPwmVolts(const CDiag& sample) {
    return units::controllerVolts(sample.pumpPwm(), 3.0);
}

double inputVolts(const CDiag& sample) {
    return sample.inputVoltage() / 1000.0 * 5.0;
}

double outputVolts(const CDiag& sample) {
    return sample.outputVoltage() / 1000.0 * 5.0;
}

bool isWorking(const CDiag& sample) {
    return sample.workState() == CDiag::kWorking;
}

} // namespace krv
