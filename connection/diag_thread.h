#pragma once
// The polling thread: every 50 ms it reads one readings sample from the controller and adds it
// to the device's store. Three failed exchanges in a row (or a port error) end it with the link
// marked lost and the reconnect timer armed; the user-interface thread ends it through the
// device's pollingRunning flag and the thread manager's stop request. The thread reaches the
// device through the reference it is given; the device outlives it.
//
// A host that paces the samples itself (the connection worker, between its jobs) drives the
// same polling a step at a time: begin, step after each pause until it says the end, finish.

#include "connection/diag_file.h"
#include "device/diag.h"
#include "device/diag_data.h"
#include "platform/threads.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace krv {

class CLPGConnection;
class CSerialPort;

class CDiagInputThread : public CSThread {
public:
    // readSample results.
    static constexpr int kSampleOk = 0;
    static constexpr int kSampleWrongReply = 1; // neither counts as a failure nor resets the count
    static constexpr int kSampleLinkFailed = 2;
    static constexpr int kFailureLimit = 2; // more than this many in a row give the link up
    static constexpr std::chrono::milliseconds kPause{50};

    CDiagInputThread(CLPGConnection& device, CDiagData& sink, std::u16string logFileName,
                     const std::atomic<bool>& runningFlag);

    void run() override;

    // The steps of run(), for a host of its own. begin and step are false once the polling
    // ends (told to stop, the link given up, or an error); finish then comes once.
    bool begin();
    bool step();
    void finish();
    // For such a host, on any thread while a sample is under way: the sample, woken from its
    // read for a job that cannot wait, is dropped rather than counted as a failed exchange.
    void setSampleDropped(bool dropped) { sampleDropped_ = dropped; }

protected:
    virtual void onStart() = 0;
    virtual void onStop() = 0;
    virtual int readSample(CDiag& record) = 0;
    virtual void storeSample(CDiag& record) = 0;

    CLPGConnection& device;
    CDiagData& sink;
    const std::u16string logFileName;
    const std::atomic<bool>& runningFlag;

private:
    bool keepRunning() const { return runningFlag.load() && !stopRequested(); }
    // One sample; false when told to stop or when the failures run over the limit.
    bool readOne();
    // Runs a step; an error escaping it ends the polling.
    template <class Step> bool guarded(Step step);

    bool linkLost_ = false;
    bool failed_ = false;
    std::atomic<bool> sampleDropped_{false};
};

class CDiagRSThread : public CDiagInputThread {
public:
    CDiagRSThread(CLPGConnection& device, CDiagData& sink, std::u16string logFileName,
                  const std::atomic<bool>& runningFlag);

protected:
    void onStart() override;
    void onStop() override;
    int readSample(CDiag& record) override;
    void storeSample(CDiag& record) override;

private:
    CSerialPort& samplePort;
    uint32_t sampleCounter = 0;
    CDiagFile diagFile;
};

} // namespace krv
