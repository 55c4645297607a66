// Predicting cells the drive never held: only next to learned cells, between them or one cell
// beyond two of them, never further; off unless asked for.

#include "calibration/calibration.h"
#include "calibration/prediction.h"
#include "tests/calibration/synthetic_drive.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace krv {
namespace {

using test::carMap;
using test::columnCentre;
using test::rowCentre;
using test::SyntheticDrive;

using Learned = std::array<std::optional<double>, kMapCells>;

constexpr size_t at(int row, int column) {
    return static_cast<size_t>(row * kMapColumns + column);
}

TEST(CalibrationPrediction, FromNeighboursAlongRowsAndColumns) {
    struct Case {
        const char* name;
        std::map<size_t, double> learned;
        std::map<size_t, double> predicted; // every cell predicted, with its value
    };
    const Case cases[] = {
        {"two learned in a row reach one cell each way",
         {{at(4, 3), 2.0}, {at(4, 4), 2.3}},
         {{at(4, 2), 1.7}, {at(4, 5), 2.6}}},
        {"a gap of two between learned cells is filled",
         {{at(4, 3), 2.0}, {at(4, 6), 2.6}},
         {{at(4, 4), 2.2}, {at(4, 5), 2.4}}},
        {"a gap of four: only the cells next to the learned ones",
         {{at(4, 3), 2.0}, {at(4, 8), 3.0}},
         {{at(4, 4), 2.2}, {at(4, 7), 2.8}}},
        {"one learned cell alone predicts nothing", {{at(4, 3), 2.0}}, {}},
        {"a column, at the map's edge", {{at(0, 14), 1.0}, {at(1, 14), 1.5}}, {{at(2, 14), 2.0}}},
        {"row and column estimates are averaged",
         {{at(4, 3), 2.0}, {at(4, 5), 2.4}, {at(3, 4), 2.0}, {at(2, 4), 1.8}},
         {{at(4, 4), 2.2}, {at(1, 4), 1.6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Learned learned{};
        for (const auto& [cell, volts] : c.learned) {
            learned[cell] = volts;
        }
        const auto predicted = predictedCells(learned, CellGrid(carMap()));
        for (size_t i = 0; i < kMapCells; ++i) {
            const auto expected = c.predicted.find(i);
            if (expected == c.predicted.end()) {
                EXPECT_FALSE(predicted[i].has_value()) << "cell " << i;
            } else {
                ASSERT_TRUE(predicted[i].has_value()) << "cell " << i;
                EXPECT_NEAR(*predicted[i], expected->second, 1e-9) << "cell " << i;
            }
        }
    }
}

TEST(CalibrationPrediction, NeverFurtherThanOneCellFromALearnedOne) {
    // Scattered learned cells, as a drive leaves them.
    for (unsigned seed = 1; seed <= 20; ++seed) {
        Learned learned{};
        unsigned state = seed;
        for (int n = 0; n < 25; ++n) {
            state = state * 1103515245u + 12345u;
            learned[(state >> 8) % kMapCells] = 1.0 + (state % 300) / 100.0;
        }
        const auto predicted = predictedCells(learned, CellGrid(carMap()));
        const auto learnedAt = [&](int r, int c) {
            return r >= 0 && r < int(kMapRows) && c >= 0 && c < int(kMapColumns) &&
                   learned[at(r, c)].has_value();
        };
        for (int r = 0; r < int(kMapRows); ++r) {
            for (int c = 0; c < int(kMapColumns); ++c) {
                if (predicted[at(r, c)]) {
                    EXPECT_FALSE(learned[at(r, c)].has_value());
                    EXPECT_TRUE(learnedAt(r - 1, c) || learnedAt(r + 1, c) || learnedAt(r, c - 1) ||
                                learnedAt(r, c + 1))
                        << "seed " << seed << " cell " << r << ',' << c;
                }
            }
        }
    }
}

TEST(CalibrationPrediction, OffUnlessAskedFor) {
    SyntheticDrive drive;
    drive.hold(4, columnCentre(3), rowCentre(4), 2.0);
    drive.hold(4, columnCentre(4), rowCentre(4), 2.3);
    const CalibrationProposal plain = proposeCalibration(drive.samples(), carMap());
    EXPECT_EQ(plain.summary.predicted, 0);
    EXPECT_EQ(plain.appliedTo(carMap()).cells[at(4, 5)], carMap().cells[at(4, 5)]);

    CalibrationParameters parameters;
    parameters.predictUnreached = true;
    const CalibrationProposal proposal = proposeCalibration(drive.samples(), carMap(), parameters);
    EXPECT_EQ(proposal.summary.learned, 2);
    EXPECT_EQ(proposal.summary.predicted, 2);
    EXPECT_EQ(proposal.cells[at(4, 5)].status, CellStatus::Predicted);
    EXPECT_EQ(proposal.cells[at(4, 5)].proposed, 130); // 2.6 V
    EXPECT_EQ(proposal.cells[at(4, 2)].proposed, 85);  // 1.7 V
    EXPECT_EQ(proposal.appliedTo(carMap()).cells[at(4, 5)], 130);
}

} // namespace
} // namespace krv
