// Button 1019 "Kasuj": clears the map on the controller, then in the model and on screen.

#include "app/korrin_dlg.h"
#include "lang/program_texts.h"
#include "lang/translate.h"

namespace krv {

namespace {

constexpr std::u16string_view kClearMapOperation = u"CKorrinDlg::OnBnClickedBtnClrMapTime()";

} // namespace

void CKorrinDlg::OnBnClickedBtnClrMapTime() {
    if (!device_.connected || !mapKeeper_.backUp(CMapKeeper::kClearBackup)) {
        return;
    }
    // The model follows only a controller that has cleared and stored its map.
    runCommand(
        translate(texts::kStatusClearingMap), kClearMapOperation,
        [](CLPGConnection& device) { return device.clearMapTime() && device.storeMap(); },
        texts::kWriteMapFailed,
        [this, before = snapshotOf(device_)] {
            device_.map.fill(0.0);
            showDeviceData();
            mapKeeper_.recordChange(before);
        });
}

} // namespace krv
