#include "device/lpg_device.h"

namespace krv {

MapAxes defaultMapAxes() {
    MapAxes axes;
    for (int k = 0; k < kMapRows; ++k) {
        axes.rows[k] = static_cast<int16_t>(64 * (k + 1)); // 0.96 V apart
    }
    for (int j = 0; j < kMapColumns; ++j) {
        axes.columns[j] = static_cast<uint8_t>(5 + 3 * j); // from 500 rpm, 300 rpm apart
    }
    return axes;
}

CLPGDevice::CLPGDevice() = default;

namespace {

// Marks the identity in doubt unless the exchange is known to have been answered, so that a
// port error leaving by exception marks it too.
class DoubtUnlessAnswered {
public:
    explicit DoubtUnlessAnswered(std::atomic<bool>& doubt) : doubt_(doubt) {}
    ~DoubtUnlessAnswered() {
        if (!answered) {
            doubt_ = true;
        }
    }
    DoubtUnlessAnswered(const DoubtUnlessAnswered&) = delete;
    DoubtUnlessAnswered& operator=(const DoubtUnlessAnswered&) = delete;
    bool answered = false;

private:
    std::atomic<bool>& doubt_;
};

} // namespace

bool CLPGDevice::transact(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    DoubtUnlessAnswered mark(identityInDoubt);
    mark.answered = exchange_.transact(buffer, length, frameType);
    return mark.answered;
}

uint8_t CLPGDevice::transactPolled(uint8_t* buffer, uint8_t& length, uint8_t& frameType) {
    // A stop may cut a polled read short: the polling says which failures were the link's.
    return exchange_.transactPolled(buffer, length, frameType);
}

bool CLPGDevice::mayRetry() {
    if (!retryCheck_ || checkingRetry_) {
        return true;
    }
    checkingRetry_ = true;
    struct EndCheck {
        bool& checking;
        ~EndCheck() { checking = false; }
    } endCheck{checkingRetry_};
    return retryCheck_();
}

} // namespace krv
