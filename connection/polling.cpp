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
    host->readingsStarted();
}

void CLPGConnection::stopPolling() {
    pollingRunning = false;
    host->readingsStopped();
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
    interruptWaits();
    threads_.stopAll();
    resumeWaits();
}

void CLPGConnection::markLinkLost() {
    connected = false;
    host->readingsStarted();
    host->linkLost(kReconnectAfterLoss);
}

void CLPGConnection::reconnect() {
    host->setStatusText(translate(texts::kStatusNoConnectionEn));
    connected = false;
    // The polling that gave up asked for this attempt as its last act; it must be gone before
    // the port is reopened under it.
    endPolling();
    if (!tryPort(linkPort_ != 0 ? linkPort_ : readLastPort())) {
        host->linkLost(kReconnectRetry);
        return;
    }
    host->setStatusText(translate(texts::kStatusConnectedEn));
    host->reconnected();
    startPolling();
}

} // namespace krv
