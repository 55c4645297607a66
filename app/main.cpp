// krv: the service tool of the KRV fuel-pressure emulator. No command-line options.

#include "app/korrin_app.h"
#include "app/qt_message_backend.h"
#include "connection/thread_manager.h"
#include "lang/language_setup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // First made, last gone: no polling thread outlives anything it reads.
    krv::CLPGThreadManager threads;
    QApplication application(argc, argv);
    krv::initLanguage();
    krv::CQtMessageBackend messages;
    krv::CKorrinApp korrinApp(threads, messages);
    korrinApp.InitInstance();
    return 0;
}
