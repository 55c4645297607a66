#include "connection/diag_thread.h"

#include "connection/lpg_connection.h"
#include "link/mutex_guard.h"

namespace krv {

CDiagInputThread::CDiagInputThread(CLPGConnection& device, CDiagData& sink,
                                   std::u16string logFileName, const std::atomic<bool>& runningFlag)
    : device(device), sink(sink), logFileName(std::move(logFileName)), runningFlag(runningFlag) {}

void CDiagInputThread::run() {
    bool linkLost = false;
    bool failed = false;
    try {
        linkLost = pollUntilEnd();
    } catch (IError* error) {
        delete error;
        failed = true;
    } catch (...) {
        failed = true;
    }
    // A thread that fails while nobody asked it to stop has lost the link as surely as one
    // that ran out of tries, whatever the port says about pending line errors: the window must
    // not go on showing a connection that delivers nothing.
    linkLost = linkLost || (failed && keepRunning());
    if (linkLost || failed) {
        sink.clearSamples();
    }
    onStop();
    if (linkLost) {
        reportLinkLost();
    }
}

bool CDiagInputThread::pollUntilEnd() {
    onStart();
    while (keepRunning()) {
        CDiag record{};
        if (!sleepUnlessStopped(kPause)) {
            break;
        }
        const int result = readSample(record);
        if (result == kSampleOk) {
            storeSample(record);
            device.failureCount = 0;
            continue;
        }
        if (!keepRunning()) {
            break; // a stop may have cut the exchange short: that says nothing of the link
        }
        if (result == kSampleLinkFailed) {
            ++device.failureCount;
        }
        if (device.failureCount > kFailureLimit) {
            return true;
        }
    }
    return false;
}

void CDiagInputThread::reportLinkLost() {
    device.markLinkLost();
}

CDiagRSThread::CDiagRSThread(CLPGConnection& device, CDiagData& sink, std::u16string logFileName,
                             const std::atomic<bool>& runningFlag)
    : CDiagInputThread(device, sink, std::move(logFileName), runningFlag), samplePort(device.port) {
    diagFile.open(this->logFileName, true); // a name that cannot be opened is no error
}

void CDiagRSThread::onStart() {
    // The demo has no controller behind the port, which may not even be open.
    if (!device.demoMode) {
        // Under the transaction lock, so a command's reply in flight is not thrown away.
        CMutexGuard guard(device.transactionMutex);
        samplePort.purgeIn();
    }
    sink.clearSamples();
}

void CDiagRSThread::onStop() {
    diagFile.close();
}

int CDiagRSThread::readSample(CDiag& record) {
    return device.readReadings(record);
}

void CDiagRSThread::storeSample(CDiag& record) {
    record.sampleNumber = ++sampleCounter;
    sink.pushSample(record);
}

} // namespace krv
