#include "tests/calibration/synthetic_drive.h"

#include <array>
#include <cmath>

namespace krv::test {

namespace {

double onSteps(double value, double step) {
    return toThousandths(std::round(value / step) * step);
}

} // namespace

SyntheticDrive& SyntheticDrive::run(double seconds, const std::function<DrivePoint(double)>& at) {
    const int count = static_cast<int>(std::lround(seconds / kPollSeconds));
    for (int i = 0; i < count; ++i) {
        const DrivePoint point = at(i * kPollSeconds);
        samples_.push_back({toThousandths(seconds_), ++number_,
                            static_cast<int>(std::lround(point.rpm / 10.0)) * 10,
                            onSteps(std::max(point.input, 0.0), 0.005), onSteps(point.pump, 0.015),
                            point.working});
        seconds_ += kPollSeconds;
    }
    return *this;
}

SyntheticDrive& SyntheticDrive::hold(double seconds, int rpm, double pump, double input) {
    static constexpr std::array kWander{0.0, 0.01, -0.005, 0.005, -0.01, 0.0, 0.005, -0.005};
    return run(seconds, [&](double t) {
        const auto i = static_cast<size_t>(std::lround(t / kPollSeconds)) % kWander.size();
        return DrivePoint{rpm, pump, input + kWander[i]};
    });
}

SyntheticDrive& SyntheticDrive::pause(double seconds) {
    seconds_ += seconds;
    return *this;
}

MapSnapshot carMap() {
    MapSnapshot map;
    for (size_t r = 0; r < kMapRows; ++r) {
        map.rows[r] = static_cast<int16_t>(50 * (r + 1)); // 0.75 V a row
    }
    for (size_t c = 0; c < kMapColumns; ++c) {
        map.columns[c] = static_cast<uint8_t>(5 + 3 * c); // 500 ... 4700 rpm
    }
    map.cells.fill(100); // 2.00 V
    return map;
}

double rowCentre(int row) {
    return 0.75 * row + 0.375;
}

int columnCentre(int column) {
    return 350 + 300 * column;
}

} // namespace krv::test
