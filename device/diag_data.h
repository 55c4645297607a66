#pragma once
// The bounded history of readings samples: written by the polling thread, read by the
// user-interface thread. Every operation holds the store's own lock for its whole duration.

#include "device/diag.h"
#include "platform/threads.h"

#include <vector>

namespace krv {

class CDiagData {
public:
    static constexpr int kMaxHeld = 500;   // more than this triggers a trim on the next push
    static constexpr int kTrimCount = 250; // oldest samples dropped by a trim

    virtual ~CDiagData() = default;

    void pushSample(const CDiag& record);
    void clearSamples();
    int sampleCount();
    // Copies the newest sample; leaves the record as it was when the store is empty.
    void lastSample(CDiag& record);
    // Appends the samples with indices from .. to-1 (0 = oldest), to cut down to the count held.
    void copySamples(std::vector<CDiag>& out, int from, int to);
    // Every sample held that is numbered after `after`, oldest first, in one look: all of them
    // once a new polling numbers its samples from 1 again.
    std::vector<CDiag> samplesAfter(uint32_t after);

private:
    CMSGMutex mutex_;
    std::vector<CDiag> samples_;
};

} // namespace krv
