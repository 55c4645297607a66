#include "connection/diag_thread.h"

#include "connection/lpg_connection.h"
#include "link/mutex_guard.h"

namespace krv {

CDiagInputThread::CDiagInputThread(CLPGConnection& device, CDiagData& sink,
                                   std::u16string logFileName, const std::atomic<bool>& runningFlag)
    : device(device), sink(sink), logFileName(std::move(logFileName)), runningFlag(runningFlag) {}

void CDiagInputThread::run() {
    if (begin()) {
        while (sleepUnlessStopped(kPause) && step()) {
        }
    }
    finish();
}

template <class Step> bool CDiagInputThread::guarded(Step step) {
    try {
        return step();
    } catch (IError* error) {
        delete error;
    } catch (...) {
    }
    failed_ = true;
    return false;
}

bool CDiagInputThread::begin() {
    return guarded([this] {
        onStart();
        return true;
    });
}

bool CDiagInputThread::step() {
    return keepRunning() && guarded([this] { return readOne(); });
}

bool CDiagInputThread::readOne() {
    CDiag record{};
    const int result = readSample(record);
    if (result == kSampleOk) {
        storeSample(record);
        device.failureCount = 0;
        return true;
    }
    if (!keepRunning()) {
        return false; // a stop may have cut the exchange short: that says nothing of the link
    }
    if (sampleDropped_) {
        return true; // nor does a job that could not wait
    }
    if (result == kSampleLinkFailed) {
        ++device.failureCount;
        device.identityInDoubt = true;
    }
    linkLost_ = device.failureCount > kFailureLimit;
    return !linkLost_;
}

void CDiagInputThread::finish() {
    // Polling that fails while nobody asked it to stop has lost the link as surely as one that
    // ran out of tries, whatever the port says about pending line errors: the window must not
    // go on showing a connection that delivers nothing.
    const bool linkLost = linkLost_ || (failed_ && keepRunning());
    if (linkLost || failed_) {
        sink.clearSamples();
    }
    onStop();
    if (linkLost) {
        device.markLinkLost();
    }
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
