#pragma once
// The window's watch over the port table while it runs without a controller: every two
// seconds the connection looks at the ports that are new or back (the cable plugged in after
// the start), and the window hears once a controller answered there.

#include "connection/connection_jobs.h"

#include <QTimer>
#include <functional>

namespace krv {

class CPortWatch {
public:
    static constexpr int kLookPeriodMs = 2000;

    // found runs on the window's thread once a look connected; the watch has stopped then.
    CPortWatch(IConnectionJobs& jobs, std::function<void()> found);

    void start();
    void stop();
    bool watching() const { return timer_.isActive(); }

private:
    void look();

    IConnectionJobs& jobs_;
    std::function<void()> found_;
    QTimer timer_;
    // A look is under way: the next tick waits for it rather than queueing another.
    bool looking_ = false;
};

} // namespace krv
