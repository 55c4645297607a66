#include "app/krv_main.h"

#include "app/korrin_app.h"
#include "app/qt_message_backend.h"
#include "connection/thread_manager.h"
#include "lang/language_setup.h"

#include <QApplication>

namespace krv {

int runKrv(int argc, char* argv[]) {
    // First made, last gone: no polling thread outlives anything it reads.
    CLPGThreadManager threads;
    QApplication application(argc, argv);
    initLanguage();
    CQtMessageBackend messages;
    CKorrinApp korrinApp(threads, messages);
    korrinApp.InitInstance();
    return 0;
}

} // namespace krv
