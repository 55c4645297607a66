#pragma once
// The calibration's result before anything is written: per cell the proposed value and its
// difference from the controller's, coloured like the compare view, with the cell's evidence on
// hover. The fitter writes every learned cell (Enter), only the selected ones, or nothing
// (Escape).

#include "calibration/calibration.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace krv {

class CCalibrationPreview : public QDialog {
    Q_OBJECT
public:
    // The proposal was made over map (its axes head the grid).
    CCalibrationPreview(const CalibrationProposal& proposal, const MapSnapshot& map,
                        QWidget* parent);

    // After the dialog was accepted: the controller's cells with the proposed values of the
    // cells the fitter accepted.
    MapCells acceptedCells() const;

    QTableWidget& table() const { return *table_; }
    QPushButton& writeButton() const { return *write_; }
    QPushButton& writeSelectedButton() const { return *writeSelected_; }
    QPushButton& discardButton() const { return *discard_; }

private:
    void fillTable(const MapSnapshot& map);
    bool selectedHasProposal() const;

    CalibrationProposal proposal_;
    QTableWidget* table_;
    QPushButton* write_;
    QPushButton* writeSelected_;
    QPushButton* discard_;
    bool onlySelected_ = false;
};

// A cell the proposal gives a value to: learned or predicted.
bool hasProposedValue(const CellProposal& cell);

} // namespace krv
