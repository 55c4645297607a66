// The calibration drive on the simulator's petrol drive (its default lag, overshoot, noise,
// dropouts and spikes; 24 holds), read at the polling rate through the wire's quantisation:
//  - held cells (a second or more of the holds' steady parts): RMS and largest error of the
//    cells written against the drive's ideal map, and the share of them written;
//  - cells written though no hold held them: how many, and how many more than 0.05 V off the
//    true input averaged over the drive's visits there.
// Rows: the plain mean the drive used before (every reading above 0 V, the mean cut to the
// wire's step) and the calibration core with its defaults. Goals for the core: RMS <= 0.02 V,
// largest <= 0.05 V, no unheld cell written more than 0.05 V off, >= 80 % of held cells.
// Usage: bench_calibration [seeds]   (default 10: the default drive, then seeds 2..N)

#include "calibration/calibration.h"
#include "calibration/map_cells.h"
#include "device/units.h"
#include "sim/controller/petrol_drive.h"
#include "tests/support/polled_drive.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

namespace {

using namespace krv;

constexpr double kGoalRms = 0.02;
constexpr double kGoalLargest = 0.05;
constexpr double kGoalUnheldOff = 0.05;
constexpr double kGoalHeldShare = 0.80;

struct Drive {
    MapSnapshot map; // the sample map's axes, empty cells
    std::vector<CalibrationSample> samples;
    std::array<double, kMapCells> visitedTruth{}; // true input averaged over the drive's visits
    sim::IdealMap ideal;
};

Drive driveOf(uint32_t seed) {
    sim::DriveOptions options;
    options.seed = seed;
    const sim::PetrolDrive petrol(options);
    Drive drive;
    drive.map = test::sampleMapSnapshot();
    drive.map.cells.fill(0);
    const CellGrid cells(drive.map);
    std::array<int, kMapCells> visits{};
    for (const test::PolledReading& polled : test::polledPetrolDrive(petrol)) {
        const CalibrationSample sample = calibrationSampleOf(polled.reading, polled.seconds);
        drive.samples.push_back(sample);
        const size_t cell = cells.cellOf(sample.rpm, sample.pump);
        drive.visitedTruth[cell] += petrol.trueInputAt(polled.seconds);
        ++visits[cell];
    }
    for (size_t i = 0; i < kMapCells; ++i) {
        if (visits[i] > 0) {
            drive.visitedTruth[i] /= visits[i];
        }
    }
    drive.ideal = petrol.idealMap(drive.map.rows, drive.map.columns);
    return drive;
}

// The cells a method writes: volts, nothing where it leaves the cell.
using Written = std::array<std::optional<double>, kMapCells>;

Written plainMean(const Drive& drive) {
    const CellGrid cells(drive.map);
    std::array<double, kMapCells> sums{};
    std::array<int, kMapCells> counts{};
    for (const CalibrationSample& sample : drive.samples) {
        if (sample.input > 0) {
            const size_t cell = cells.cellOf(sample.rpm, sample.pump);
            sums[cell] += sample.input;
            ++counts[cell];
        }
    }
    Written written;
    for (size_t i = 0; i < kMapCells; ++i) {
        if (counts[i] > 0) {
            written[i] = units::mapCellVolts(units::mapCellWire(sums[i] / counts[i]));
        }
    }
    return written;
}

Written calibrationCore(const Drive& drive) {
    const CalibrationProposal proposal = proposeCalibration(drive.samples, drive.map);
    Written written;
    for (size_t i = 0; i < kMapCells; ++i) {
        if (proposal.cells[i].status == CellStatus::Learned) {
            written[i] = units::mapCellVolts(proposal.cells[i].proposed);
        }
    }
    return written;
}

struct Score {
    double squares = 0;
    int heldWritten = 0;
    int held = 0;
    double largest = 0;
    int unheldWritten = 0;
    int unheldOff = 0;
    double unheldLargest = 0;

    void add(const Drive& drive, const Written& written) {
        for (size_t i = 0; i < kMapCells; ++i) {
            if (drive.ideal.held(i)) {
                ++held;
                if (written[i]) {
                    const double error = std::abs(*written[i] - drive.ideal.volts[i]);
                    squares += error * error;
                    largest = std::max(largest, error);
                    ++heldWritten;
                }
            } else if (written[i]) {
                const double off = std::abs(*written[i] - drive.visitedTruth[i]);
                ++unheldWritten;
                unheldOff += off > kGoalUnheldOff;
                unheldLargest = std::max(unheldLargest, off);
            }
        }
    }
    double rms() const { return heldWritten > 0 ? std::sqrt(squares / heldWritten) : 0; }
    double heldShare() const { return held > 0 ? double(heldWritten) / held : 0; }
    bool meetsGoals() const {
        return rms() <= kGoalRms && largest <= kGoalLargest && unheldOff == 0 &&
               heldShare() >= kGoalHeldShare;
    }
};

void printRow(const char* method, const Score& score) {
    std::printf("%-18s %7.3f V %7.3f V %5d of %-4d (%5.1f %%) %8d %8d %7.3f V  %s\n", method,
                score.rms(), score.largest, score.heldWritten, score.held,
                100.0 * score.heldShare(), score.unheldWritten, score.unheldOff,
                score.unheldLargest, score.meetsGoals() ? "goals met" : "goals missed");
}

Score scoreOf(Written (*method)(const Drive&), std::span<const Drive> drives) {
    Score score;
    for (const Drive& drive : drives) {
        score.add(drive, method(drive));
    }
    return score;
}

// The rows of both methods; true when the core's meets the goals.
bool printRows(const char* title, std::span<const Drive> drives) {
    std::printf("\n%s\n%-18s %9s %9s %25s %8s %8s %9s\n", title, "method", "RMS", "largest",
                "held cells written", "unheld", ">0.05 V", "largest");
    printRow("plain mean", scoreOf(plainMean, drives));
    const Score core = scoreOf(calibrationCore, drives);
    printRow("calibration core", core);
    return core.meetsGoals();
}

} // namespace

int main(int argc, char** argv) {
    const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<Drive> drives;
    for (int seed = 1; seed <= seeds; ++seed) {
        drives.push_back(driveOf(static_cast<uint32_t>(seed)));
    }
    int held = 0;
    for (size_t i = 0; i < kMapCells; ++i) {
        held += drives.front().ideal.held(i);
    }
    std::printf("petrol drive: %zu readings at %.0f ms, %d held cells\n",
                drives.front().samples.size(), sim::kPollingSeconds * 1000, held);
    bool met = printRows("the default drive (seed 1)", std::span(drives).first(1));
    if (seeds > 1) {
        char title[64];
        std::snprintf(title, sizeof title, "drives of seeds 1 to %d together", seeds);
        met = printRows(title, drives) && met;
    }
    std::printf("\ngoals for the core: RMS <= %.2f V, largest <= %.2f V, no unheld cell written "
                "more than %.2f V off, >= %.0f %% of held cells written\n",
                kGoalRms, kGoalLargest, kGoalUnheldOff, 100 * kGoalHeldShare);
    return met ? 0 : 1;
}
