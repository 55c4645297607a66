// "Kalibruj z pliku...": the proposal of a recorded petrol drive (the replay's, when one is
// open), over the map the controller holds (or, without a controller, over a map file, the
// result then going to a map file), shown in the same preview as a live drive's.

#include "app/korrin_dlg.h"
#include "calibration/calibration.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/qt/open_file.h"
#include "platform/text.h"
#include "readings_log/readings_log.h"

#include <QDir>

namespace krv {

namespace {

// The open replay's readings, else those of a log the fitter chooses; nothing when cancelled
// or unreadable (said).
std::optional<std::vector<CalibrationSample>> recordedSamples(CKorrinDlg& window,
                                                              IFileChooser& files) {
    if (window.replay().active()) {
        return calibrationSamplesOf(window.replay().track().log());
    }
    const std::u16string path = files.choose(
        COpenFile(QDir::homePath().toStdU16String(), translate(texts::kCsvFileFilter), u"csv", 0));
    if (path.empty()) {
        return std::nullopt;
    }
    const ReadingsLogRead read = readReadingsLog(toUtf8(path));
    if (!read.ok()) {
        showMessage(&window, toU16(read.error), std::u16string(kMessageCaption), MB_ICONERROR);
        return std::nullopt;
    }
    return calibrationSamplesOf(*read.log);
}

} // namespace

void CKorrinDlg::calibrateFromFile() {
    if (!canCalibrateFromFile()) {
        return;
    }
    const auto samples = recordedSamples(*this, fileChooser_);
    if (!samples) {
        return;
    }
    const bool connected = model_.loaded();
    std::optional<MapSnapshot> map;
    if (connected) {
        map = model_.acknowledged();
    } else {
        showProgramMessage(this, texts::kCalibrationChooseMapFile, MB_ICONINFORMATION);
        map = mapKeeper_.openMapFile();
    }
    if (!map) {
        return;
    }
    const auto cells = previewCalibration(proposeCalibration(*samples, *map), *map);
    if (!cells) {
        return;
    }
    if (connected) {
        mapKeeper_.calibrationStarted();
        mapKeeper_.writeCalibrationResult(*cells);
        return;
    }
    MapSnapshot learned = *map;
    learned.cells = *cells;
    mapKeeper_.saveToFile(learned);
}

} // namespace krv
