// The calibration drive: while it runs, every readings refresh files with the drive each reading
// polled since the refresh before, and the map shows the cells' coverage and what they learned;
// stopping shows the proposal, and the cells the fitter accepts are written to the controller.
// What the drive learned is its own until the controller takes it; another controller met on
// the way ends it.

#include "app/calibration_marks.h"
#include "app/calibration_preview.h"
#include "app/korrin_dlg.h"
#include "calibration/calibration_texts.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/text.h"

#include <QAbstractButton>

namespace krv {

void CKorrinDlg::OnBnClickedBtnCalibration() {
    QAbstractButton* button = controls_.button(mainId::kCalibration);
    if (calibrating) {
        calibrating = false;
        button->setText(QString::fromStdU16String(translate(texts::kCalibration)));
        stopCalibration();
        return;
    }
    if (!model_.loaded() || device_.diagData.sampleCount() == 0) {
        showProgramMessage(nullptr, texts::kNoConnection, MB_OK);
        return;
    }
    CDiag newest;
    device_.diagData.lastSample(newest);
    if (isWorking(newest)) {
        showProgramMessage(this, texts::kCalibrateOnPetrolOnly, MB_OK);
        return;
    }
    mapKeeper_.calibrationStarted();
    calibrating = true;
    button->setText(QString::fromStdU16String(translate(texts::kStop)));
    // The drive already runs while this is open; the readings of that time are not filed.
    showProgramMessage(this, texts::kCalibrationDriveAdvice, MB_OK);
    calibrationDrive_.start();
    showCalibrationProgress();
}

void CKorrinDlg::calibrationStep(const std::vector<CDiag>& samples) {
    const auto now = CCalibrationDrive::Clock::now();
    bool filed = false;
    for (const CDiag& sample : samples) {
        filed = calibrationDrive_.add(sample, now) || filed;
    }
    if (filed) {
        showCalibrationProgress();
    }
}

void CKorrinDlg::showCalibrationProgress() {
    // Ten times a second: only the cells that look different repaint.
    const std::vector<CCell> before = mapGrid_.cellsNow();
    const CalibrationProposal proposal = calibrationDrive_.proposal(model_.shown());
    for (int r = 0; r < kMapRows; ++r) {
        for (int c = 0; c < kMapColumns; ++c) {
            const CellProposal& cell = proposal.cells[static_cast<size_t>(r) * kMapColumns + c];
            if (hasProposedValue(cell)) {
                mapGrid_.setCellValue(c, r, units::mapCellVolts(cell.proposed));
            }
        }
    }
    mapGrid_.setCellMarks(
        coverageMarks(proposal, calibrationDrive_.trail([this](int rpm, double pump) {
            const CellPosition cell = mapGrid_.cellIndexOf(rpm, pump);
            return static_cast<size_t>(cell.row) * kMapColumns + static_cast<size_t>(cell.column);
        })));
    mapGrid_.updateChangedCells(before);
    controls_.setText(mainId::kCalibrationSummary, summaryLineForLabel(proposal.summary));
}

void CKorrinDlg::stopCalibration() {
    if (!model_.loaded()) {
        // Said, and the result is kept: the learned map is not given up unasked.
        showProgramMessage(nullptr, texts::kNoConnection, MB_OK);
    }
    controls_.setText(mainId::kCalibrationSummary, u"");
    mapGrid_.setCellMarks({});
    mapGrid_.fillFromModel(); // the compare view, if one was open, comes back
    const MapSnapshot map = model_.acknowledged();
    const CalibrationProposal proposal = calibrationDrive_.proposal(map);
    if (const auto cells = previewCalibration(proposal, map)) {
        MapSnapshot learned = map;
        learned.cells = *cells;
        cars_.driveLearned(
            {chartFiles_.recording() ? toUtf8(chartFiles_.flushedRecordingPath()) : std::string(),
             proposal.summary.learned, proposal.summary.readings, learned});
        cars_.expect(reg::Cause::Calibration);
        mapKeeper_.writeCalibrationResult(*cells);
    }
}

void CKorrinDlg::endCalibrationForOther(const MapSnapshot& firstCar) {
    calibrating = false;
    controls_.setText(mainId::kCalibration, translate(texts::kCalibration));
    controls_.setText(mainId::kCalibrationSummary, u"");
    mapGrid_.setCellMarks({});
    mapGrid_.fillFromModel();
    const CalibrationProposal proposal = calibrationDrive_.proposal(firstCar);
    MapSnapshot learned = firstCar;
    for (size_t i = 0; i < kMapCells; ++i) {
        if (hasProposedValue(proposal.cells[i])) {
            learned.cells[i] = proposal.cells[i].proposed;
        }
    }
    mapKeeper_.keepLearnedForOther(learned);
}

std::optional<MapCells> CKorrinDlg::previewCalibration(const CalibrationProposal& proposal,
                                                       const MapSnapshot& map) {
    CCalibrationPreview preview(proposal, map, this);
    if (preview.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return preview.acceptedCells();
}

} // namespace krv
