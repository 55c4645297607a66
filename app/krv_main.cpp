#include "app/krv_main.h"

#include "app/korrin_app.h"
#include "app/krv_options.h"
#include "app/qt_message_backend.h"
#include "app/qt_translations.h"
#include "connection/thread_manager.h"
#include "lang/language_setup.h"

#include <QApplication>

namespace krv {

int runKrv(int argc, char* argv[]) {
    initLanguage(); // before the options: their messages are translated too
    int exitCode = 0;
    const auto start = startFromCommandLine(argc, argv, exitCode);
    if (!start) {
        return exitCode;
    }
    // First made, last gone: no polling thread outlives anything it reads.
    CLPGThreadManager threads;
    QApplication application(argc, argv);
    const CQtTranslations qtTexts(languageSlot());
    CQtMessageBackend messages;
    CKorrinApp korrinApp(threads, messages, start->choice, start->replay);
    korrinApp.InitInstance();
    return 0;
}

} // namespace krv
