#include "connection/diag_thread.h"
#include "connection/lpg_connection.h"
#include "connection/thread_manager.h"
#include "lang/program_texts.h"
#include "lang/translate.h"

namespace krv {

void CLPGConnection::startPolling() {
    if (!readingsEnabled) {
        pollingRunning = false;
        return;
    }
    // One polling at a time: a previous one has ended or is ended here.
    endPolling();
    pollingRunning = true;
    logFileName = CDiagFile::kNoFileName;
    auto polling = std::make_unique<CDiagRSThread>(*this, diagData, logFileName, pollingRunning);
    if (pollingHost_ != nullptr) {
        pollingHost_->hostPolling(std::move(polling));
    } else {
        threads_.insert(polling.release());
    }
    mainWindow->startTimer(IMainWindow::kReadingsTimer, kReadingsTimerMs);
}

void CLPGConnection::stopPolling() {
    pollingRunning = false;
    mainWindow->stopTimer(IMainWindow::kReadingsTimer);
    // Waiting for the thread to end, rather than a fixed pause, guarantees that it has left
    // the port before the caller uses it, however long its last exchange takes.
    endPolling();
}

void CLPGConnection::endPolling() {
    if (pollingHost_ != nullptr) {
        pollingHost_->endHostedPolling();
        return;
    }
    // A thread waiting for a reply is woken rather than waited for.
    port.interruptWaits();
    threads_.stopAll();
    port.resumeWaits();
}

void CLPGConnection::markLinkLost() {
    connected = false;
    mainWindow->startTimer(IMainWindow::kReadingsTimer, kReadingsTimerMs);
    mainWindow->startTimer(IMainWindow::kReconnectTimer, kReconnectAfterLossMs);
}

void CLPGConnection::reconnect() {
    mainWindow->stopTimer(IMainWindow::kReconnectTimer);
    mainWindow->setStatusText(translate(texts::kStatusNoConnectionEn));
    connected = false;
    // The polling that gave up armed this timer as its last act; it must be gone before the
    // port is reopened under it.
    endPolling();
    if (!tryPort(linkPort_ != 0 ? linkPort_ : readLastPort())) {
        mainWindow->startTimer(IMainWindow::kReconnectTimer, kReconnectRetryMs);
        return;
    }
    mainWindow->setStatusText(translate(texts::kStatusConnectedEn));
    mainWindow->onReconnected();
    startPolling();
}

} // namespace krv
