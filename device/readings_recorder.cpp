#include "device/readings_recorder.h"

#include "device/readings_csv.h"

#include <vector>

namespace krv {

CReadingsRecorder::CReadingsRecorder(std::ostream& out, CDiagData& store, uint16_t firmwareVersion,
                                     Clock::time_point now)
    : out_(out), store_(store), started_(now) {
    out_ << readings_csv::header(std::chrono::system_clock::now(), firmwareVersion) << std::flush;
    CDiag newest;
    store_.lastSample(newest);
    lastSeen_ = newest.sampleNumber;
}

void CReadingsRecorder::update(bool connected, Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - started_).count();
    CDiag newest;
    store_.lastSample(newest);
    // A new polling thread (after a reconnect or an update) numbers its samples from 1 again.
    if (newest.sampleNumber < lastSeen_) {
        lastSeen_ = 0;
    }
    bool wrote = false;
    if (newest.sampleNumber > lastSeen_) {
        std::vector<CDiag> samples;
        store_.copySamples(samples, 0, store_.sampleCount());
        for (const CDiag& sample : samples) {
            if (sample.sampleNumber > lastSeen_) {
                out_ << readings_csv::row(seconds, ++written_, sample);
                lastSeen_ = sample.sampleNumber;
                wrote = true;
            }
        }
    }
    if (connected != linkUp_) {
        linkUp_ = connected;
        if (!connected) {
            // The polling thread emptied the store as it gave up; its successor starts from 1.
            lastSeen_ = 0;
        }
        out_ << (connected ? readings_csv::linkBackComment(seconds)
                           : readings_csv::linkLostComment(seconds));
        wrote = true;
    }
    if (wrote) {
        out_.flush();
    }
}

} // namespace krv
