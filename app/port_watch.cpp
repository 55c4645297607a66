#include "app/port_watch.h"

#include "connection/lpg_connection.h"

namespace krv {

CPortWatch::CPortWatch(IConnectionJobs& jobs, std::function<void()> found)
    : jobs_(jobs), found_(std::move(found)) {
    timer_.setInterval(kLookPeriodMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
}

void CPortWatch::start() {
    timer_.start();
}

void CPortWatch::stop() {
    timer_.stop();
}

void CPortWatch::look() {
    if (looking_) {
        return;
    }
    looking_ = true;
    // Quiet: a look at an unchanged table holds nothing back and says nothing.
    jobs_.run(
        {}, [](CLPGConnection& device) { return device.lookForNewPorts(); },
        [this](bool connected) {
            looking_ = false;
            if (connected) {
                stop();
                found_();
            }
        });
}

} // namespace krv
