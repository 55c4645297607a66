#pragma once
// Where the device's polling runs. Without a host the device gives it a thread of its own; the
// window's connection worker hosts it instead, so that the samples and every other exchange
// take turns on the one thread that owns the port.

#include <memory>

namespace krv {

class CDiagInputThread;

class IPollingHost {
public:
    virtual ~IPollingHost() = default;
    // Takes the polling (none runs here): it begins, then reads a sample every pause.
    virtual void hostPolling(std::unique_ptr<CDiagInputThread> polling) = 0;
    // Ends the polling, if any; from any thread. Returns once no sample is being read, a read
    // that waits being woken rather than sat out.
    virtual void endHostedPolling() = 0;
};

} // namespace krv
