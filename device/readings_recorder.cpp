#include "device/readings_recorder.h"

#include "device/readings_csv.h"

#include <vector>

namespace krv {

CReadingsRecorder::CReadingsRecorder(std::ostream& out, CDiagData& store, uint16_t firmwareVersion,
                                     Clock::time_point now)
    : CReadingsRecorder(out, store,
                        readings_csv::header(std::chrono::system_clock::now(), firmwareVersion),
                        now) {}

CReadingsRecorder::CReadingsRecorder(std::ostream& out, CDiagData& store, uint16_t firmwareVersion,
                                     const MapAxes& axes, Clock::time_point now)
    : CReadingsRecorder(
          out, store, readings_csv::header(std::chrono::system_clock::now(), firmwareVersion, axes),
          now) {}

CReadingsRecorder::CReadingsRecorder(std::ostream& out, CDiagData& store, const std::string& header,
                                     Clock::time_point now)
    : out_(out), store_(store), started_(now) {
    out_ << header << std::flush;
    CDiag newest;
    store_.lastSample(newest);
    lastSeen_ = newest.sampleNumber;
}

void CReadingsRecorder::update(bool connected, Clock::time_point now) {
    const double seconds = secondsAt(now);
    bool wrote = false;
    // A link that came back is marked before the new polling thread's samples, one that went
    // down after the samples seen before it: no row stands between "lost" and "back".
    if (connected && !linkUp_) {
        linkUp_ = true;
        out_ << readings_csv::linkBackComment(seconds);
        wrote = true;
    }
    if (linkUp_) {
        wrote = writeNewSamples(seconds) || wrote;
    }
    if (!connected && linkUp_) {
        linkUp_ = false;
        // The polling thread emptied the store as it gave up; its successor starts from 1.
        lastSeen_ = 0;
        out_ << readings_csv::linkLostComment(seconds);
        wrote = true;
    }
    if (wrote) {
        out_.flush();
    }
}

int CReadingsRecorder::addMarker(Clock::time_point now) {
    const double seconds = secondsAt(now);
    if (linkUp_) {
        writeNewSamples(seconds);
    }
    out_ << readings_csv::markerComment(++markers_, seconds) << std::flush;
    return markers_;
}

double CReadingsRecorder::secondsAt(Clock::time_point now) const {
    return std::chrono::duration<double>(now - started_).count();
}

bool CReadingsRecorder::writeNewSamples(double seconds) {
    CDiag newest;
    store_.lastSample(newest);
    // A new polling thread (after a reconnect or an update) numbers its samples from 1 again.
    if (newest.sampleNumber < lastSeen_) {
        lastSeen_ = 0;
    }
    if (newest.sampleNumber <= lastSeen_) {
        return false;
    }
    std::vector<CDiag> samples;
    store_.copySamples(samples, 0, store_.sampleCount());
    bool wrote = false;
    for (const CDiag& sample : samples) {
        if (sample.sampleNumber > lastSeen_) {
            out_ << readings_csv::row(seconds, ++written_, sample);
            lastSeen_ = sample.sampleNumber;
            wrote = true;
        }
    }
    return wrote;
}

} // namespace krv
