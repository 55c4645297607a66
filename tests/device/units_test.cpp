// Wire conversions of map cells, row and column break points, and readings.

#include "device/diag.h"
#include "device/units.h"
#include "tests/device/readings_record.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace krv {
namespace {

TEST(Units, WorkedValuesConvertExactly) {
    EXPECT_DOUBLE_EQ(units::mapCellVolts(50), 1.00);
    EXPECT_EQ(units::mapCellWire(1.00), 50);
    EXPECT_EQ(units::mapCellWire(1.01), 50); // the step is 0.02 V and the host truncates
    EXPECT_EQ(units::mapCellWire(5.10), 255);
    EXPECT_EQ(units::mapCellWire(0.0), 0);
    EXPECT_DOUBLE_EQ(units::rowBreakVolts(200), 3.00);
    EXPECT_EQ(units::rowBreakWire(3.00), 200);
    EXPECT_DOUBLE_EQ(units::columnBreakRpm(15), 1500);
    EXPECT_EQ(units::columnBreakWire(1500), 15);
}

TEST(Units, EveryWireValueSurvivesTheRoundTrip) {
    for (int b = 0; b <= 255; ++b) {
        EXPECT_EQ(units::mapCellWire(units::mapCellVolts(static_cast<uint8_t>(b))), b) << b;
        EXPECT_EQ(units::columnBreakWire(units::columnBreakRpm(static_cast<uint8_t>(b))), b);
    }
    for (int w = -32768; w <= 32767; w += 7) {
        const auto word = static_cast<int16_t>(w);
        EXPECT_EQ(units::rowBreakWire(units::rowBreakVolts(word)), word) << w;
    }
}

TEST(Units, NegativeRowWordIsANegativeBreakPoint) {
    EXPECT_DOUBLE_EQ(units::rowBreakVolts(-200), -3.00);
    EXPECT_EQ(units::rowBreakWire(-3.00), -200);
}

// Values the wire cannot carry saturate instead of wrapping into unrelated small numbers.
TEST(Units, OutOfRangeValuesSaturate) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        int mapByte;
        int rowWord;
        int columnByte;
    };
    const Case cases[] = {
        // value   map  row      column (value read as rpm)
        {5.2, 255, 346, 0},      {-0.5, 0, -33, 0},          {1000.0, 255, 32767, 10},
        {-1000.0, 0, -32768, 0}, {30000.0, 255, 32767, 255}, {-1e12, 0, -32768, 0},
        {inf, 255, 32767, 255},  {-inf, 0, -32768, 0},       {nan, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(units::mapCellWire(c.value), c.mapByte) << c.value;
        EXPECT_EQ(units::rowBreakWire(c.value), c.rowWord) << c.value;
        EXPECT_EQ(units::columnBreakWire(c.value), c.columnByte) << c.value;
    }
    EXPECT_EQ(units::columnBreakWire(25500), 255);
    EXPECT_EQ(units::columnBreakWire(25600), 255);
}

TEST(Readings, ConvertAsTheControllerMeansThem) {
    const CDiag d = test::readingsRecord(3400, 211, 400, 407, 3);
    EXPECT_EQ(engineSpeedRpm(d), 2210); // 2205 -> 220.5 -> 221 -> 2210
    EXPECT_NEAR(pumpPwmVolts(d), 3.165, 1e-12);
    EXPECT_DOUBLE_EQ(inputVolts(d), 2.0);
    EXPECT_DOUBLE_EQ(outputVolts(d), 2.035);
    EXPECT_TRUE(isWorking(d));
    // The bytes travel little-endian at their fixed offsets.
    EXPECT_EQ(d.raw[0], 3400 & 0xFF);
    EXPECT_EQ(d.raw[1], 3400 >> 8);
    EXPECT_EQ(d.raw[12], 400 & 0xFF);
}

TEST(Readings, EngineSpeedEdges) {
    const struct {
        uint16_t period;
        int rpm;
    } cases[] = {{0, 0}, {0xFFFF, 0}, {1, 7500000}, {0xFFFE, 110}, {1500, 5000}, {10714, 700}};
    for (const auto& c : cases) {
        EXPECT_EQ(engineSpeedRpm(test::readingsRecord(c.period, 0, 0, 0, 0)), c.rpm) << c.period;
    }
}

TEST(Readings, PumpPwmIsSignedAndOnlyStateThreeWorks) {
    EXPECT_NEAR(pumpPwmVolts(test::readingsRecord(0, -200, 0, 0, 0)), -3.0, 1e-12);
    EXPECT_NEAR(pumpPwmVolts(test::readingsRecord(0, 800, 0, 0, 0)), 12.0, 1e-12);
    EXPECT_DOUBLE_EQ(inputVolts(test::readingsRecord(0, 0, 0xFFFF, 0, 0)), 327.675);
    for (int state : {0, 1, 2, 4, 255}) {
        EXPECT_FALSE(isWorking(test::readingsRecord(0, 0, 0, 0, static_cast<uint8_t>(state))))
            << state;
    }
}

} // namespace
} // namespace krv
