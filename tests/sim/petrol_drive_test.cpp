// The simulator's petrol drive: holds spread over the map, a sensor whose lag, overshoot, noise,
// dropouts and spikes each follow their option, and an ideal map that stands where the holds do.

#include "device/diag.h"
#include "sim/controller/petrol_drive.h"
#include "sim/controller/sample_map.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace krv::sim {
namespace {

constexpr double kTick = 0.01;

DriveOptions cleanSensor() {
    DriveOptions options;
    options.lagSeconds = 0;
    options.overshoot = 0;
    options.noiseVolts = 0;
    options.dropoutRate = 0;
    options.spikeRate = 0;
    return options;
}

// Calls f(measured - true input, seconds) for every tick of the drive.
void forEachTick(const PetrolDrive& drive, const std::function<void(double, double)>& f) {
    for (double t = 0; t < drive.seconds(); t += kTick) {
        f(drive.at(t).inputVolts - drive.trueInputAt(t), t);
    }
}

TEST(PetrolDrive, HoldsSpreadOverTheMapJoinedByRampsAndSteps) {
    const PetrolDrive drive;
    const MapAndAxes axes = sampleMap();
    ASSERT_GE(drive.holds().size(), 20u);
    std::set<int> cells, rows, columns;
    for (const DriveHold& hold : drive.holds()) {
        EXPECT_GE(hold.end - hold.start, 3.0);
        const int cell = cellIndex(decodedRpm(rpmPeriod(hold.rpm)), pumpWire(hold.pumpVolts),
                                   axes.rowAxis, axes.columnAxis);
        cells.insert(cell);
        rows.insert(cell / 15);
        columns.insert(cell % 15);
    }
    EXPECT_GE(cells.size(), 20u);
    EXPECT_GE(rows.size(), 10u);
    EXPECT_GE(columns.size(), 10u);
    // Minutes, as a fitter drives one, not hours.
    EXPECT_GT(drive.seconds(), 120);
    EXPECT_LT(drive.seconds(), 600);
}

TEST(PetrolDrive, TheSeedDecidesTheDrive) {
    DriveOptions other;
    other.seed = 2;
    const PetrolDrive first, again, second(other);
    bool differs = false;
    for (double t = 0; t < first.seconds(); t += 0.5) {
        EXPECT_EQ(first.at(t).inputVolts, again.at(t).inputVolts);
        differs = differs || first.at(t).rpm != second.at(t).rpm;
    }
    EXPECT_TRUE(differs);
}

TEST(PetrolDrive, WithoutSensorFaultsTheInputIsTheTruth) {
    const PetrolDrive drive(cleanSensor());
    forEachTick(drive, [](double off, double t) { ASSERT_NEAR(off, 0, 1e-12) << t; });
}

struct SensorFigures {
    double largestAbove = 0; // measured above the truth
    double largestBelow = 0;
    double sumSquares = 0;
    int ticks = 0;
    int zero = 0;
    int farOff = 0;         // 0.2 V or more, not a dropout
    double holdEndsOff = 0; // largest difference in the last tick of a hold
};

SensorFigures figuresOf(const DriveOptions& options) {
    const PetrolDrive drive(options);
    SensorFigures figures;
    forEachTick(drive, [&](double off, double t) {
        figures.largestAbove = std::max(figures.largestAbove, off);
        figures.largestBelow = std::max(figures.largestBelow, -off);
        figures.sumSquares += off * off;
        ++figures.ticks;
        figures.zero += drive.at(t).inputVolts == 0;
        figures.farOff += drive.at(t).inputVolts != 0 && std::abs(off) >= 0.2;
    });
    for (const DriveHold& hold : drive.holds()) {
        const double t = hold.end - kTick;
        figures.holdEndsOff =
            std::max(figures.holdEndsOff, std::abs(drive.at(t).inputVolts - drive.trueInputAt(t)));
    }
    return figures;
}

TEST(PetrolDrive, EachSensorFaultFollowsItsOption) {
    DriveOptions lag = cleanSensor();
    lag.lagSeconds = 0.3;
    const SensorFigures lagging = figuresOf(lag);
    // Behind on every ramp and step, caught up by the end of each hold.
    EXPECT_GT(lagging.largestBelow, 0.3);
    EXPECT_GT(lagging.largestAbove, 0.3);
    EXPECT_LT(lagging.holdEndsOff, 0.02);

    DriveOptions swing = cleanSensor();
    swing.overshoot = 0.2;
    const SensorFigures overshooting = figuresOf(swing);
    swing.overshoot = 0.4;
    const SensorFigures twice = figuresOf(swing);
    EXPECT_GT(overshooting.largestAbove, 0.1);
    EXPECT_NEAR(twice.largestAbove, 2 * overshooting.largestAbove, 1e-9);
    EXPECT_LT(overshooting.holdEndsOff, 0.02);

    DriveOptions noise = cleanSensor();
    noise.noiseVolts = 0.015;
    const SensorFigures noisy = figuresOf(noise);
    EXPECT_NEAR(std::sqrt(noisy.sumSquares / noisy.ticks), 0.015, 0.0015);

    DriveOptions faults = cleanSensor();
    faults.dropoutRate = 0.01;
    faults.spikeRate = 0.02;
    const SensorFigures faulty = figuresOf(faults);
    EXPECT_NEAR(double(faulty.zero) / faulty.ticks, 0.01, 0.003);
    EXPECT_NEAR(double(faulty.farOff) / faulty.ticks, 0.02, 0.005);
}

TEST(PetrolDrive, IdealMapStandsWhereTheHoldsAre) {
    const PetrolDrive drive;
    const MapAndAxes axes = sampleMap();
    const IdealMap ideal = drive.idealMap(axes.rowAxis, axes.columnAxis);
    int held = 0;
    for (size_t cell = 0; cell < 240; ++cell) {
        held += ideal.held(cell);
    }
    EXPECT_GE(held, 20);
    for (const DriveHold& hold : drive.holds()) {
        const int cell = cellIndex(decodedRpm(rpmPeriod(hold.rpm)), pumpWire(hold.pumpVolts),
                                   axes.rowAxis, axes.columnAxis);
        if (ideal.polls[cell] >= (hold.end - hold.start) / kPollingSeconds * 0.8) {
            // The whole hold in one cell: its ideal is the input at the hold's point.
            EXPECT_NEAR(ideal.volts[cell], petrolInputVolts(hold.rpm, hold.pumpVolts), 0.03);
        }
        EXPECT_GT(ideal.polls[cell], 0) << "a hold's own cell is in the ideal map";
    }
}

TEST(PetrolDrive, ReadingsCarryTheDriveThroughTheWire) {
    const PetrolDrive drive;
    const MapAndAxes axes = sampleMap();
    for (double t = 0; t < drive.seconds(); t += 1.3) {
        CDiag reading;
        reading.raw =
            readingsPayload({t, &axes.map, &axes.rowAxis, &axes.columnAxis, false, &drive});
        const EnginePoint point = drive.at(t);
        EXPECT_NEAR(engineSpeedRpm(reading), point.rpm, 10);
        EXPECT_NEAR(pumpPwmVolts(reading), point.pumpVolts, 0.0151);
        EXPECT_NEAR(inputVolts(reading), point.inputVolts, 0.0026);
        EXPECT_FALSE(isWorking(reading));
    }
}

} // namespace
} // namespace krv::sim
