#pragma once
// The calibration drive's learning as a pure function: readings with their times, the map and
// axes they are filed under, and the limits give a proposal per cell. The live drive, a
// recorded log and krv-cli all come here, so the same readings always give the same proposal.

#include "calibration/calibration_parameters.h"
#include "calibration/calibration_sample.h"
#include "calibration/rejection.h"
#include "calibration/steady_gate.h"
#include "device/map_file/map_snapshot.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace krv {

enum class CellStatus {
    Unchanged, // no steady reading: the cell keeps its value
    TooFew,    // steady readings, fewer than the minimum: the cell keeps its value
    Learned,
    Predicted, // from learned neighbours
};

struct CellProposal {
    uint8_t current = 0;  // wire units, as the map holds it
    uint8_t proposed = 0; // wire units; the current value unless learned or predicted
    CellStatus status = CellStatus::Unchanged;
    int hits = 0;               // steady readings used
    RejectionCounts rejected{}; // readings filed here and not used, by reason
    double meanVolts = 0;       // of the readings used (weighted), before the wire's rounding
    double spreadVolts = 0;     // their standard deviation

    int rejectedTotal() const;
    bool operator==(const CellProposal&) const = default;
};

struct CalibrationSummary {
    int learned = 0;
    int tooFew = 0;
    int predicted = 0;
    int readings = 0; // distinct readings filed
    int rejected = 0;

    double rejectedPercent() const;
    bool operator==(const CalibrationSummary&) const = default;
};

struct CalibrationProposal {
    std::array<CellProposal, kMapCells> cells{}; // index row * 15 + column
    CalibrationSummary summary;

    // The map with the learned and predicted cells; axes and settings as given.
    MapSnapshot appliedTo(MapSnapshot map) const;
    // The rejected readings of all cells, by reason.
    RejectionCounts rejectedByReason() const;
    bool operator==(const CalibrationProposal&) const = default;
};

// Readings filed one at a time, as the live drive gets them; the proposal can be asked for at
// any time and is what proposeCalibration gives for the same readings.
class CalibrationAccumulator {
public:
    explicit CalibrationAccumulator(const CalibrationParameters& parameters = {});

    // False, and nothing filed, when the reading has the number of the one before (a refresh
    // that found no newer reading). A lower number is a new polling run after a reconnect.
    bool add(const CalibrationSample& sample);
    CalibrationProposal proposal(const MapSnapshot& map) const;

private:
    struct Filed {
        int rpm;
        double pump;
        double input;
        std::optional<Rejection> rejection;
    };

    CalibrationParameters parameters_;
    SteadyGate gate_;
    std::vector<Filed> filed_;
    std::optional<uint32_t> lastNumber_;
};

CalibrationProposal proposeCalibration(std::span<const CalibrationSample> samples,
                                       const MapSnapshot& map,
                                       const CalibrationParameters& parameters = {});

// The nearest wire value of a map cell (the controller's 0.02 V step).
uint8_t nearestCellWire(double volts);

} // namespace krv
