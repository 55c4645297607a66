// The calibration's learning on synthetic drives: what counts as a steady reading, what is
// rejected and why, how much evidence a cell needs, and that the live and the batch paths agree.

#include "calibration/calibration.h"
#include "calibration/calibration_texts.h"
#include "calibration/map_cells.h"
#include "device/units.h"
#include "tests/calibration/synthetic_drive.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <optional>

namespace krv {
namespace {

using test::carMap;
using test::columnCentre;
using test::DrivePoint;
using test::rowCentre;
using test::SyntheticDrive;

constexpr int kRow = 4;
constexpr int kColumn = 6;
constexpr size_t kCell = kRow * kMapColumns + kColumn;
constexpr double kTruth = 2.315;              // 115.75 wire steps: no tie in the rounding
constexpr double kHalfWireStep = 0.01 + 1e-9; // the map's 0.02 V step, rounded to nearest

// The input of a sensor that lags a step from `from` to `to` with time constant tau and swings
// past it by `overshoot` of the step, most at `peak` seconds.
double stepResponse(double from, double to, double t, double tau, double overshoot, double peak) {
    const double lagged = to + (from - to) * std::exp(-t / tau);
    return lagged + overshoot * (to - from) * (t / peak) * std::exp(1 - t / peak);
}

// The rule the drive had before: every reading above 0 V, averaged.
double plainMean(const std::vector<CalibrationSample>& samples) {
    const CellGrid cells(carMap());
    double sum = 0;
    int count = 0;
    for (const CalibrationSample& s : samples) {
        if (cells.cellOf(s.rpm, s.pump) == kCell && s.input > 0) {
            sum += s.input;
            ++count;
        }
    }
    return sum / count;
}

// Two seconds held in another cell, then a step to the cell under test and a hold there.
SyntheticDrive stepThenHold(double tau, double overshoot) {
    SyntheticDrive drive;
    drive.hold(2, columnCentre(kColumn), rowCentre(2), 1.40);
    drive.run(5, [=](double t) {
        return DrivePoint{columnCentre(kColumn), rowCentre(kRow),
                          stepResponse(1.40, kTruth, t, tau, overshoot, 0.4)};
    });
    return drive;
}

SyntheticDrive steadyHold() {
    return std::move(SyntheticDrive().hold(6, columnCentre(kColumn), rowCentre(kRow), kTruth));
}

SyntheticDrive holdWithFaults() {
    SyntheticDrive drive;
    drive.run(6, [](double t) {
        const int i = static_cast<int>(std::lround(t / test::kPollSeconds));
        const double input = i % 10 == 9 ? 0.0 : i % 13 == 12 ? kTruth + 0.8 : kTruth;
        return DrivePoint{columnCentre(kColumn), rowCentre(kRow), input};
    });
    return drive;
}

struct DriveCase {
    const char* name;
    SyntheticDrive drive;
    std::optional<double> learned; // volts, or nothing learned in the cell
};

TEST(CalibrationDrives, SteadyHoldsAreLearnedAndEverythingElseIsNot) {
    const DriveCase cases[] = {
        {"steady hold", steadyHold(), kTruth},
        {"hold after a step through a lagging sensor", stepThenHold(0.3, 0), kTruth},
        {"hold after a step with overshoot", stepThenHold(0.05, 0.25), kTruth},
        {"dropouts and spikes in a hold", holdWithFaults(), kTruth},
        {"ramp through the cell",
         std::move(SyntheticDrive().run(
             5,
             [](double t) {
                 const double f = t / 5;
                 return DrivePoint{static_cast<int>(1000 + 2500 * f), 1 + 7 * f, 0.8 + 2.1 * f};
             })),
         std::nullopt},
        {"input drifting while the engine holds",
         std::move(SyntheticDrive().run(
             6,
             [](double t) {
                 return DrivePoint{columnCentre(kColumn), rowCentre(kRow), 2.0 + 0.15 * t};
             })),
         std::nullopt},
        {"hold on gas",
         std::move(SyntheticDrive().run(
             6,
             [](double) {
                 return DrivePoint{columnCentre(kColumn), rowCentre(kRow), kTruth, true};
             })),
         std::nullopt},
    };
    for (const DriveCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CalibrationProposal proposal = proposeCalibration(c.drive.samples(), carMap());
        const CellProposal& cell = proposal.cells[kCell];
        if (c.learned) {
            ASSERT_EQ(cell.status, CellStatus::Learned);
            EXPECT_NEAR(units::mapCellVolts(cell.proposed), *c.learned, kHalfWireStep);
        } else {
            for (const CellProposal& any : proposal.cells) {
                EXPECT_NE(any.status, CellStatus::Learned);
                EXPECT_EQ(any.proposed, any.current);
            }
        }
    }
}

TEST(CalibrationDrives, LagAndOvershootFixturesWouldBiasAPlainMean) {
    // Shows the holds above are a test of the filter: averaging them whole is off.
    EXPECT_GT(kTruth - plainMean(stepThenHold(0.3, 0).samples()), 0.03);
    EXPECT_GT(plainMean(stepThenHold(0.05, 0.25).samples()) - kTruth, 0.03);
}

TEST(CalibrationDrives, RejectedReadingsAreCountedByReason) {
    const auto rejected = [](const SyntheticDrive& drive, Rejection reason) {
        return proposeCalibration(drive.samples(), carMap())
            .cells[kCell]
            .rejected[static_cast<size_t>(reason)];
    };
    const SyntheticDrive faults = holdWithFaults();
    EXPECT_EQ(rejected(faults, Rejection::Dropout), 12);      // every 10th of 120
    EXPECT_EQ(rejected(faults, Rejection::Outlier), 8);       // every 13th after the first second
    EXPECT_EQ(rejected(faults, Rejection::ShortHistory), 18); // the first second less dropouts
    EXPECT_GT(rejected(stepThenHold(0.3, 0), Rejection::InputSettling), 0);

    SyntheticDrive stopped;
    stopped.hold(2, 0, rowCentre(kRow), kTruth);
    const auto cellZero = proposeCalibration(stopped.samples(), carMap()).cells[kRow * kMapColumns];
    EXPECT_EQ(cellZero.rejected[static_cast<size_t>(Rejection::EngineStopped)], 40);

    const CalibrationProposal ramp = proposeCalibration(
        SyntheticDrive()
            .hold(1.5, 1000, rowCentre(1), 1.0)
            .run(3,
                 [](double t) {
                     return DrivePoint{static_cast<int>(1000 + 800 * t), 1.0, 1.0};
                 })
            .samples(),
        carMap());
    int speedChanging = 0;
    for (const CellProposal& cell : ramp.cells) {
        speedChanging += cell.rejected[static_cast<size_t>(Rejection::EngineSpeedChanging)];
    }
    EXPECT_GT(speedChanging, 40);
}

TEST(CalibrationDrives, SummaryCountsCellsAndRejectedShare) {
    SyntheticDrive drive = steadyHold();
    drive.hold(1.6, columnCentre(2), rowCentre(1), 1.2); // too few after a change of cell
    const CalibrationSummary summary = proposeCalibration(drive.samples(), carMap()).summary;
    EXPECT_EQ(summary.learned, 1);
    EXPECT_EQ(summary.tooFew, 1);
    EXPECT_EQ(summary.readings, 152);
    EXPECT_EQ(summary.rejected, 20 + 20);
    EXPECT_NEAR(summary.rejectedPercent(), 100.0 * 40 / 152, 1e-9);
}

TEST(CalibrationEvidence, FewerThanTheMinimumLeavesTheCellAsItWas) {
    struct Case {
        int minHits;
        CellStatus status;
    };
    // 1.6 s held: the first second fills the window, 12 readings count.
    for (const Case c : {Case{15, CellStatus::TooFew}, Case{13, CellStatus::TooFew},
                         Case{12, CellStatus::Learned}}) {
        SCOPED_TRACE(c.minHits);
        CalibrationParameters parameters;
        parameters.minHits = c.minHits;
        const CellProposal cell =
            proposeCalibration(
                SyntheticDrive().hold(1.6, columnCentre(kColumn), rowCentre(kRow), 2.5).samples(),
                carMap(), parameters)
                .cells[kCell];
        EXPECT_EQ(cell.hits, 12);
        EXPECT_EQ(cell.status, c.status);
        EXPECT_EQ(cell.current, 100);
        EXPECT_EQ(cell.proposed, c.status == CellStatus::Learned ? 125 : 100);
    }
}

TEST(CalibrationEvidence, SpreadAndCentreWeighting) {
    // Two holds in one cell: at its centre, and near its upper rpm edge 0.2 V higher.
    SyntheticDrive drive;
    drive.hold(4, columnCentre(kColumn), rowCentre(kRow), 2.0);
    drive.hold(4, columnCentre(kColumn) + 140, rowCentre(kRow), 2.2);
    const CellProposal plain = proposeCalibration(drive.samples(), carMap()).cells[kCell];
    EXPECT_NEAR(plain.meanVolts, 2.1, 0.02);
    EXPECT_NEAR(plain.spreadVolts, 0.1, 0.01);

    CalibrationParameters weighted;
    weighted.weightByDistance = true;
    const CellProposal near = proposeCalibration(drive.samples(), carMap(), weighted).cells[kCell];
    EXPECT_EQ(near.hits, plain.hits);
    // The edge hold weighs 1 / (1 + (140 / 150)^2) of the centre's.
    EXPECT_NEAR(near.meanVolts, (2.0 + 0.5344 * 2.2) / 1.5344, 0.01);
    EXPECT_LT(near.meanVolts, plain.meanVolts - 0.02);

    const CellProposal steady = proposeCalibration(steadyHold().samples(), carMap()).cells[kCell];
    EXPECT_GT(steady.spreadVolts, 0.001);
    EXPECT_LT(steady.spreadVolts, 0.01);
}

TEST(CalibrationReadings, TheSameReadingFiledAgainCountsOnce) {
    const SyntheticDrive drive = stepThenHold(0.3, 0.2);
    std::vector<CalibrationSample> twice;
    for (const CalibrationSample& s : drive.samples()) {
        twice.push_back(s);
        CalibrationSample refiled = s;
        refiled.seconds += 0.03; // a later refresh that found no newer reading
        twice.push_back(refiled);
    }
    const CalibrationProposal once = proposeCalibration(drive.samples(), carMap());
    EXPECT_EQ(proposeCalibration(twice, carMap()), once);
    EXPECT_EQ(once.summary.readings, static_cast<int>(drive.samples().size()));
}

TEST(CalibrationReadings, LiveFilingGivesTheBatchProposalAtEveryPoint) {
    const SyntheticDrive drive = holdWithFaults();
    const std::span<const CalibrationSample> all = drive.samples();
    CalibrationAccumulator live;
    for (size_t i = 0; i < all.size(); ++i) {
        live.add(all[i]);
        if (i % 37 == 0 || i + 1 == all.size()) {
            EXPECT_EQ(live.proposal(carMap()), proposeCalibration(all.first(i + 1), carMap()));
        }
    }
}

TEST(CalibrationReadings, ANewPollingRunNumbersFromOneAndStillCounts) {
    SyntheticDrive first = steadyHold();
    std::vector<CalibrationSample> samples = first.samples();
    const double end = samples.back().seconds;
    SyntheticDrive second;
    second.hold(3, columnCentre(2), rowCentre(1), 1.2);
    for (CalibrationSample s : second.samples()) {
        s.seconds += end + 0.05;
        samples.push_back(s); // numbered from 1 again, straight on in time
    }
    const CalibrationProposal proposal = proposeCalibration(samples, carMap());
    EXPECT_EQ(proposal.summary.readings, static_cast<int>(samples.size()));
    EXPECT_EQ(proposal.summary.learned, 2);
}

TEST(CalibrationReadings, AGapInTheReadingsRefillsTheWindow) {
    SyntheticDrive drive = steadyHold();
    drive.pause(2).hold(0.9, columnCentre(kColumn), rowCentre(kRow), kTruth);
    const CellProposal cell = proposeCalibration(drive.samples(), carMap()).cells[kCell];
    EXPECT_EQ(cell.rejected[static_cast<size_t>(Rejection::ShortHistory)], 20 + 18);
}

TEST(CalibrationReadings, BackOnPetrolTheInputMustSettleAgain) {
    SyntheticDrive drive = steadyHold();
    drive.run(1, [](double) {
        return DrivePoint{columnCentre(kColumn), rowCentre(kRow), kTruth, true};
    });
    drive.hold(0.9, columnCentre(kColumn), rowCentre(kRow), kTruth);
    const CellProposal cell = proposeCalibration(drive.samples(), carMap()).cells[kCell];
    EXPECT_EQ(cell.rejected[static_cast<size_t>(Rejection::OnGas)], 20);
    EXPECT_EQ(cell.rejected[static_cast<size_t>(Rejection::ShortHistory)], 20 + 18);
}

TEST(CalibrationProposalMap, OnlyLearnedCellsChangeTheMap) {
    SyntheticDrive drive = steadyHold();
    drive.hold(1.6, columnCentre(2), rowCentre(1), 1.2);
    const MapSnapshot before = carMap();
    const MapSnapshot after = proposeCalibration(drive.samples(), before).appliedTo(before);
    for (size_t i = 0; i < kMapCells; ++i) {
        EXPECT_EQ(after.cells[i], i == kCell ? 116 : before.cells[i]) << i;
    }
    EXPECT_EQ(after.rows, before.rows);
    EXPECT_EQ(after.columns, before.columns);
}

TEST(CalibrationProposalMap, NearestWireValue) {
    EXPECT_EQ(nearestCellWire(2.309), 115);
    EXPECT_EQ(nearestCellWire(2.311), 116);
    EXPECT_EQ(nearestCellWire(-1), 0);
    EXPECT_EQ(nearestCellWire(7), 255);
}

TEST(CalibrationTexts, SummaryAndReasonsInWords) {
    CalibrationSummary summary;
    summary.learned = 17;
    summary.tooFew = 6;
    summary.readings = 1000;
    summary.rejected = 405;
    EXPECT_EQ(summaryLine(summary),
              u"Komórki nauczone: 17, za mało odczytów: 6, odczyty odrzucone: 41 %");
    EXPECT_EQ(summaryLineForLabel(summary),
              u"Komórki nauczone: 17, za mało odczytów: 6, odczyty odrzucone: 41\u00A0%");

    const CalibrationProposal proposal = proposeCalibration(holdWithFaults().samples(), carMap());
    const RejectionCounts counts = proposal.rejectedByReason();
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0), proposal.summary.rejected);
    EXPECT_EQ(rejectionsLine(counts),
              u"Odrzucone odczyty: zanik sygnału 12, za krótko po starcie lub przerwie 18, "
              u"zakłócenie 8");
    EXPECT_EQ(rejectionsLine({}), u"");
}

} // namespace
} // namespace krv
