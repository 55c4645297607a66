#include "calibration/calibration.h"

#include "calibration/map_cells.h"
#include "calibration/prediction.h"
#include "device/units.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace krv {

namespace {

struct CellSums {
    double weight = 0;
    double weighted = 0;
    double weightedSquares = 0;
};

CellStatus statusOf(int hits, int minHits) {
    if (hits == 0) {
        return CellStatus::Unchanged;
    }
    return hits < minHits ? CellStatus::TooFew : CellStatus::Learned;
}

void addPredictions(CalibrationProposal& proposal, const CellGrid& cells) {
    std::array<std::optional<double>, kMapCells> learned{};
    for (size_t i = 0; i < kMapCells; ++i) {
        if (proposal.cells[i].status == CellStatus::Learned) {
            learned[i] = proposal.cells[i].meanVolts;
        }
    }
    const auto predicted = predictedCells(learned, cells);
    for (size_t i = 0; i < kMapCells; ++i) {
        CellProposal& cell = proposal.cells[i];
        if (predicted[i] && cell.status == CellStatus::Unchanged) {
            cell.status = CellStatus::Predicted;
            cell.meanVolts = *predicted[i];
            cell.proposed = nearestCellWire(*predicted[i]);
            ++proposal.summary.predicted;
        }
    }
}

} // namespace

int CellProposal::rejectedTotal() const {
    return std::accumulate(rejected.begin(), rejected.end(), 0);
}

double CalibrationSummary::rejectedPercent() const {
    return readings > 0 ? 100.0 * rejected / readings : 0.0;
}

MapSnapshot CalibrationProposal::appliedTo(MapSnapshot map) const {
    for (size_t i = 0; i < kMapCells; ++i) {
        if (cells[i].status == CellStatus::Learned || cells[i].status == CellStatus::Predicted) {
            map.cells[i] = cells[i].proposed;
        }
    }
    return map;
}

RejectionCounts CalibrationProposal::rejectedByReason() const {
    RejectionCounts counts{};
    for (const CellProposal& cell : cells) {
        for (size_t i = 0; i < kRejectionCount; ++i) {
            counts[i] += cell.rejected[i];
        }
    }
    return counts;
}

uint8_t nearestCellWire(double volts) {
    const double steps = std::round(volts / units::mapCellVolts(1));
    return static_cast<uint8_t>(std::clamp(steps, 0.0, 255.0));
}

CalibrationAccumulator::CalibrationAccumulator(const CalibrationParameters& parameters)
    : parameters_(parameters), gate_(parameters) {}

bool CalibrationAccumulator::add(const CalibrationSample& sample) {
    if (lastNumber_ == sample.sample) {
        return false;
    }
    lastNumber_ = sample.sample;
    filed_.push_back({sample.rpm, sample.pump, sample.input, gate_.judge(sample)});
    return true;
}

CalibrationProposal CalibrationAccumulator::proposal(const MapSnapshot& map) const {
    const CellGrid cells(map);
    CalibrationProposal proposal;
    std::array<CellSums, kMapCells> sums{};
    for (const Filed& filed : filed_) {
        const size_t cell = cells.cellOf(filed.rpm, filed.pump);
        if (filed.rejection) {
            ++proposal.cells[cell].rejected[static_cast<size_t>(*filed.rejection)];
            ++proposal.summary.rejected;
            continue;
        }
        const double weight =
            parameters_.weightByDistance ? cells.centreWeight(cell, filed.rpm, filed.pump) : 1.0;
        ++proposal.cells[cell].hits;
        sums[cell].weight += weight;
        sums[cell].weighted += weight * filed.input;
        sums[cell].weightedSquares += weight * filed.input * filed.input;
    }
    proposal.summary.readings = static_cast<int>(filed_.size());
    for (size_t i = 0; i < kMapCells; ++i) {
        CellProposal& cell = proposal.cells[i];
        cell.current = map.cells[i];
        cell.proposed = map.cells[i];
        cell.status = statusOf(cell.hits, parameters_.minHits);
        if (cell.hits > 0) {
            cell.meanVolts = sums[i].weighted / sums[i].weight;
            const double variance =
                sums[i].weightedSquares / sums[i].weight - cell.meanVolts * cell.meanVolts;
            cell.spreadVolts = std::sqrt(std::max(variance, 0.0));
        }
        if (cell.status == CellStatus::Learned) {
            cell.proposed = nearestCellWire(cell.meanVolts);
            ++proposal.summary.learned;
        } else if (cell.status == CellStatus::TooFew) {
            ++proposal.summary.tooFew;
        }
    }
    if (parameters_.predictUnreached) {
        addPredictions(proposal, cells);
    }
    return proposal;
}

CalibrationProposal proposeCalibration(std::span<const CalibrationSample> samples,
                                       const MapSnapshot& map,
                                       const CalibrationParameters& parameters) {
    CalibrationAccumulator accumulator(parameters);
    for (const CalibrationSample& sample : samples) {
        accumulator.add(sample);
    }
    return accumulator.proposal(map);
}

} // namespace krv
