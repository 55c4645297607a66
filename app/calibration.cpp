// The calibration drive: while it runs, every readings refresh files the input voltage under
// the map cell of the operating point and shows the cell's mean; stopping writes the learned
// map to the controller. What the drive learned is its own until the controller takes it.

#include "app/korrin_dlg.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"

#include <QAbstractButton>
#include <numeric>

namespace krv {

namespace {

constexpr int kValueColouring = 1;
constexpr int kDwellShading = 0;

double meanOf(const std::vector<double>& filed) {
    return std::accumulate(filed.begin(), filed.end(), 0.0) / static_cast<double>(filed.size());
}

} // namespace

void CKorrinDlg::OnBnClickedBtnCalibration() {
    QAbstractButton* button = controls_.button(mainId::kCalibration);
    if (calibrating) {
        calibrating = false;
        button->setText(QString::fromStdU16String(translate(texts::kCalibration)));
        stopCalibration();
        mapGrid_.setColouring(kValueColouring);
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
    // The drive already runs while this is open; the samples filed meanwhile are dropped below.
    showProgramMessage(this, texts::kCalibrationDriveAdvice, MB_OK);
    mapGrid_.setColouring(kDwellShading);
    clearCellSamples();
}

void CKorrinDlg::calibrationStep(const CDiag& sample) {
    const double input = inputVolts(sample);
    if (!(input > 0)) {
        return;
    }
    const auto [column, row] = mapGrid_.cellIndexOf(engineSpeedRpm(sample), pumpPwmVolts(sample));
    const auto cell = static_cast<size_t>(row) * kMapColumns + column;
    cellSamples[cell].push_back(input);
    const double mean = meanOf(cellSamples[cell]);
    if (mean > 0) {
        mapGrid_.setCellValue(column, row, units::mapCellVolts(units::mapCellWire(mean)));
        mapGrid_.update();
    }
}

MapCells CKorrinDlg::cellMeansOver(const MapCells& cells) const {
    MapCells learned = cells;
    for (size_t cell = 0; cell < cellSamples.size(); ++cell) {
        if (!cellSamples[cell].empty()) {
            learned[cell] = units::mapCellWire(meanOf(cellSamples[cell]));
        }
    }
    return learned;
}

void CKorrinDlg::stopCalibration() {
    if (!device_.connected || !model_.loaded()) {
        // Said, and the result is kept: the learned map is not given up unasked.
        showProgramMessage(nullptr, texts::kNoConnection, MB_OK);
    }
    mapKeeper_.writeCalibrationResult(cellMeansOver(model_.acknowledged().cells));
}

void CKorrinDlg::clearCellSamples() {
    for (std::vector<double>& filed : cellSamples) {
        filed.clear();
    }
}

} // namespace krv
