#pragma once
// A connection host that shows nothing, never offers the demo and lets the events pass, for
// benchmarks that drive a connection without a user.

#include "connection/connection_host.h"

#include <chrono>
#include <string>

namespace krv::bench {

class CQuietWindow : public IConnectionHost {
public:
    bool chooseDemoMode() override { return false; }
    bool updateFirmware(bool) override { return false; }
    void setStatusText(const std::u16string&) override {}
    void dataLoaded(const ControllerData&) override {}
    void readingsStarted() override {}
    void readingsStopped() override {}
    void linkLost(std::chrono::milliseconds) override {}
    void reconnected() override {}
};

} // namespace krv::bench
