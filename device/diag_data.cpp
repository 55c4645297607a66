#include "device/diag_data.h"

#include <algorithm>
#include <mutex>

namespace krv {

void CDiagData::pushSample(const CDiag& record) {
    std::lock_guard lock(mutex_);
    if (samples_.size() > kMaxHeld) {
        samples_.erase(samples_.begin(), samples_.begin() + kTrimCount);
    }
    samples_.push_back(record);
}

void CDiagData::clearSamples() {
    std::lock_guard lock(mutex_);
    samples_.clear();
}

int CDiagData::sampleCount() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(samples_.size());
}

void CDiagData::lastSample(CDiag& record) {
    std::lock_guard lock(mutex_);
    if (!samples_.empty()) {
        record = samples_.back();
    }
}

void CDiagData::copySamples(std::vector<CDiag>& out, int from, int to) {
    std::lock_guard lock(mutex_);
    const int held = static_cast<int>(samples_.size());
    // A negative start is taken as the oldest sample rather than read before the array.
    from = std::max(from, 0);
    to = std::min(to, held);
    if (from < to) {
        out.insert(out.end(), samples_.begin() + from, samples_.begin() + to);
    }
}

std::vector<CDiag> CDiagData::samplesAfter(uint32_t after) {
    std::lock_guard lock(mutex_);
    if (!samples_.empty() && samples_.back().sampleNumber < after) {
        after = 0;
    }
    std::vector<CDiag> newer;
    for (const CDiag& sample : samples_) {
        if (sample.sampleNumber > after) {
            newer.push_back(sample);
        }
    }
    return newer;
}

} // namespace krv
