// Button 1019 "Kasuj": clears the map on the controller; the model, and so the grid, follow
// only a controller that has cleared and stored its map.

#include "app/korrin_dlg.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"

namespace krv {

namespace {

constexpr std::u16string_view kClearMapOperation = u"CKorrinDlg::OnBnClickedBtnClrMapTime()";

} // namespace

void CKorrinDlg::OnBnClickedBtnClrMapTime() {
    if (!model_.loaded()) {
        showProgramMessage(nullptr, texts::kNoConnection, MB_OK);
        return;
    }
    if (!mapKeeper_.backUp(CMapKeeper::kClearBackup)) {
        return;
    }
    submitEdit(
        translate(texts::kStatusClearingMap), kClearMapOperation,
        [](const MapSnapshot& base) {
            MapSnapshot cleared = base;
            cleared.cells.fill(0);
            return std::optional<MapSnapshot>(cleared);
        },
        WriteKind::Clear);
}

} // namespace krv
