// krv's own start-up, with a watcher that reports on stdout (as CLOCK_MONOTONIC nanoseconds)
// when each window is first shown, and answers it so the run ends by itself: the no-connection
// dialog at once with "Uruchom bez połączenia", the main window with its close box shortly
// after it showed.

#include "app/krv_main.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

const QByteArray kMainWindowClass = "krv::CKorrinDlg";
constexpr int kMainWindowOpenMs = 300;

class CShowWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog != nullptr && dialog->isWindow()) {
            std::printf("shown %s %lld\n", dialog->metaObject()->className(),
                        monotonicNanoseconds());
            std::fflush(stdout);
            // The main window shows while the port search runs: it is left open for a moment
            // so that a search over an empty port table reaches its no-connection dialog.
            const bool mainWindow = dialog->metaObject()->className() == kMainWindowClass;
            QTimer::singleShot(mainWindow ? kMainWindowOpenMs : 0, dialog, &QDialog::reject);
        }
        return false;
    }
};

void installWatcher() {
    qApp->installEventFilter(new CShowWatcher);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installWatcher)

int main(int argc, char* argv[]) {
    return krv::runKrv(argc, argv);
}
