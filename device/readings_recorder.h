#pragma once
// Appends every readings sample of the store to a readings log (device/readings_csv.h) as it
// arrives, and marks where the link went down and came back. Shared by krv-cli log and the
// window's recording to a file; called from one thread, often enough that the store (501
// samples) never drops one unseen (the window's 100 ms timer is plenty).

#include "device/diag_data.h"
#include "device/lpg_device.h"

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace krv {

class CReadingsRecorder {
public:
    using Clock = std::chrono::steady_clock;

    // Writes the header at once; seconds count from now, and the samples the store holds now
    // are history, not part of the recording.
    CReadingsRecorder(std::ostream& out, CDiagData& store, uint16_t firmwareVersion,
                      Clock::time_point now = Clock::now());
    // The same, with the axes the readings are taken under named in the header.
    CReadingsRecorder(std::ostream& out, CDiagData& store, uint16_t firmwareVersion,
                      const MapAxes& axes, Clock::time_point now = Clock::now());

    // Writes the samples that arrived since the last call, then a comment when the link went
    // down or came back, and flushes what it wrote.
    void update(bool connected, Clock::time_point now = Clock::now());

    // A moment the user pointed out: the samples that arrived before it, then a numbered marker
    // line (from 1), flushed. Returns the marker's number.
    int addMarker(Clock::time_point now = Clock::now());

    uint64_t rowsWritten() const { return written_; }
    // The log's time of a moment: seconds since the recording started.
    double secondsAt(Clock::time_point now) const;

private:
    CReadingsRecorder(std::ostream& out, CDiagData& store, const std::string& header,
                      Clock::time_point now);

    // Writes the samples that arrived since the last call, at these seconds; true when any.
    bool writeNewSamples(double seconds);

    std::ostream& out_;
    CDiagData& store_;
    const Clock::time_point started_;
    uint32_t lastSeen_ = 0; // number of the polling thread's last sample written
    uint64_t written_ = 0;  // the log's own numbering runs on across gaps
    bool linkUp_ = true;
    int markers_ = 0;
};

} // namespace krv
