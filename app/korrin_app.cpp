#include "app/korrin_app.h"

#include "app/korrin_dlg.h"
#include "app/qt_message_backend.h"
#include "platform/text.h"

namespace krv {

CKorrinApp::CKorrinApp(CLPGThreadManager& threads, CQtMessageBackend& messages,
                       const CLPGConnection::StartChoice& start, std::string replay)
    : threads_(threads), messages_(messages), start_(start), replay_(std::move(replay)) {}

bool CKorrinApp::InitInstance() {
    CKorrinDlg dialog(threads_);
    dialog.device().startChoice = start_;
    dialog.replay().setStartFile(toU16(replay_));
    messages_.setMainWindow(&dialog);
    dialog.DoModal();
    messages_.closeWaits();
    return false;
}

} // namespace krv
