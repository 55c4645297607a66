#pragma once
// How late the window's event loop runs while the controller keeps the tool busy: a 5 ms timer
// notes the longest wait past its due time during a pulled cable, a firmware update and
// polling with the chart running and a spin clicked every second. Shared by the window test
// (a generous bound) and bench_ui_stall (the strict goal).

#include "app/korrin_dlg.h"
#include "app/spin_button.h"
#include "main_window_fixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <functional>

namespace krv::test {

class CLatenessProbe {
public:
    static constexpr int kPeriodMs = 5;

    CLatenessProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            worstMs_ = std::max(worstMs_, now - lastMs_ - kPeriodMs);
            lastMs_ = now;
        });
        clock_.start();
        timer_.start(kPeriodMs);
    }

    qint64 worstMs() const { return worstMs_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastMs_ = 0;
    qint64 worstMs_ = 0;
};

// Runs the window's event loop as the tool's own runs it, asleep until something is due, until
// done() holds (looked at every 20 ms) or the time is up; QTest's waits would sleep 10 ms at a
// time between rounds of events and so measure their own sleeps. True when done() held.
inline bool runEventLoop(std::chrono::milliseconds duration,
                         const std::function<bool()>& done = {}) {
    QEventLoop loop;
    QTimer look;
    bool held = false;
    QObject::connect(&look, &QTimer::timeout, [&] {
        held = done && done();
        if (held) {
            loop.quit();
        }
    });
    look.start(20);
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
    return held;
}

struct StallResult {
    qint64 worstMs = 0;
    bool workDone = false; // the scenario's work happened (a reconnect tried, the update ended)
};

// The cable pulled for the whole duration (or, untilAnAttemptEnded, until the first reconnect
// attempt has run and ended, within the duration): the polling gives up, attempts follow.
inline StallResult pulledCable(CMainWindowFixture& fixture, std::chrono::milliseconds duration,
                               bool untilAnAttemptEnded = false) {
    const uint64_t heard = fixture.simulator->counters().received;
    fixture.simulator->setSilent(true);
    CLatenessProbe probe;
    bool connecting = false;
    runEventLoop(duration, [&] {
        const bool running = fixture.dialog->operationRunning();
        const bool attemptEnded = untilAnAttemptEnded && connecting && !running;
        connecting = connecting || running;
        return attemptEnded;
    });
    const StallResult result{probe.worstMs(),
                             connecting && fixture.simulator->counters().received > heard};
    fixture.simulator->setSilent(false);
    return result;
}

// Button 1026 with the file dialog already answered, until the update has ended.
inline StallResult updateFromButton(CMainWindowFixture& fixture) {
    CLatenessProbe probe;
    fixture.dialog->controls().button(mainId::kFirmwareUpdate)->click();
    const bool ended =
        runEventLoop(std::chrono::minutes(3), [&] { return !fixture.dialog->operationRunning(); });
    return {probe.worstMs(), ended};
}

// Polling with the chart fed, and the RPM-divider spin stepped every second (up, then down).
inline StallResult pollingWithChartAndSpin(CMainWindowFixture& fixture,
                                           std::chrono::milliseconds duration) {
    fixture.dialog->controls().button(mainId::kChartStart)->click();
    CSpinButton* spin = fixture.dialog->controls().spin(mainId::kRpmDividerSpin);
    const int pointsBefore = fixture.dialog->xCounter;
    CLatenessProbe probe;
    QTimer clicks;
    bool up = true;
    QObject::connect(&clicks, &QTimer::timeout, [&] {
        (up ? spin->upButton() : spin->downButton())->click();
        up = !up;
    });
    clicks.start(1000);
    runEventLoop(duration);
    clicks.stop();
    return {probe.worstMs(), fixture.dialog->xCounter > pointsBefore};
}

} // namespace krv::test
