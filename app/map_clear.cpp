// Button 1019 "Kasuj": clears the map on the controller, then in the model and on screen.

#include "app/korrin_dlg.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/qt/wait_cursor.h"

namespace krv {

namespace {

constexpr std::u16string_view kClearMapOperation = u"CKorrinDlg::OnBnClickedBtnClrMapTime()";

} // namespace

void CKorrinDlg::OnBnClickedBtnClrMapTime() {
    const CWaitCursor wait;
    if (!device_.connected) {
        return;
    }
    try {
        // The model follows only a controller that has cleared and stored its map.
        if (device_.clearMapTime() && device_.storeMap()) {
            device_.map.fill(0.0);
            showDeviceData();
        } else {
            showMessage(this, translate(texts::kWriteMapFailed), std::u16string(kMessageCaption),
                        MB_ICONERROR);
        }
    } catch (IError* error) {
        reportError(this, std::u16string(kClearMapOperation), error);
    }
}

} // namespace krv
