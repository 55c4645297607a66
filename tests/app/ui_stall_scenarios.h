#pragma once
// How late the window's event loop runs while the controller keeps the tool busy: a 5 ms timer
// notes the longest wait past its due time during a pulled cable, a firmware update and
// polling with the chart running and a spin clicked every second, and how much of it the
// machine's own pauses do not explain. Shared by the window test (a generous bound) and
// bench_ui_stall (the strict goal).

#include "app/korrin_dlg.h"
#include "app/spin_button.h"
#include "main_window_fixture.h"
#include "tests/support/machine_pauses.h"

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
    static constexpr std::chrono::milliseconds kPeriod{5};
    using Clock = CMachinePauses::Clock;

    CLatenessProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const Clock::time_point now = Clock::now();
            const Clock::time_point due = last_ + kPeriod;
            if (now > due) {
                late_.push_back({due, now});
            }
            last_ = now;
        });
        last_ = Clock::now();
        timer_.start(kPeriod);
    }

    struct Lateness {
        qint64 worstMs = 0;
        qint64 beyondPausesMs = 0; // the worst once the machine's own pauses are taken out
        qint64 longestPauseMs = 0;
    };

    Lateness finish() {
        timer_.stop();
        pauses_.stop();
        Lateness result;
        const auto ms = [](Clock::duration d) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
        };
        for (const CMachinePauses::Span& span : late_) {
            result.worstMs = std::max<qint64>(result.worstMs, ms(span.to - span.from));
            result.beyondPausesMs =
                std::max<qint64>(result.beyondPausesMs, ms(pauses_.uncovered(span)));
        }
        result.longestPauseMs = ms(pauses_.longest());
        return result;
    }

private:
    QTimer timer_;
    CMachinePauses pauses_;
    Clock::time_point last_;
    std::vector<CMachinePauses::Span> late_;
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
    CLatenessProbe::Lateness lateness;
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
    const StallResult result{probe.finish(),
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
    return {probe.finish(), ended};
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
    return {probe.finish(), fixture.dialog->xCounter > pointsBefore};
}

} // namespace krv::test
