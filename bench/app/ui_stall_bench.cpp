// The longest lateness of a 5 ms timer on the main window's event loop while the controller
// keeps the tool busy: (a) 20 s of a pulled cable with reconnect attempts, (b) a full firmware
// update at 38400 baud, (c) 60 s of polling with the chart running and a spin clicked every
// second. Beside each: the longest a bare thread of the same process was late (the machine's
// own pauses), the window's worst lateness once those pauses are taken out, and the longest
// single event the window's thread handled (its own work at one go). Goal: at most 16 ms (one
// frame) in each, beyond the machine's pauses.

#include "platform/text.h"
#include "sim/afm/afm_tool.h"
#include "tests/app/ui_stall_scenarios.h"

#include <QApplication>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace krv;
using namespace krv::test;
using namespace std::chrono_literals;

namespace {

constexpr qint64 kGoalMs = 16; // one frame at 60 Hz

// Times every event the window's thread handles; the longest since the last reset.
class CTimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        const auto start = std::chrono::steady_clock::now();
        const bool handled = QApplication::notify(receiver, event);
        longest_ = std::max(longest_, std::chrono::steady_clock::now() - start);
        return handled;
    }

    qint64 takeLongestMs() {
        const auto longest = std::chrono::duration_cast<std::chrono::milliseconds>(longest_);
        longest_ = {};
        return longest.count();
    }

private:
    std::chrono::steady_clock::duration longest_{};
};

struct Figures {
    CLatenessProbe::Lateness lateness;
    qint64 longestEventMs = 0;
};

// One scenario on a fresh window over the simulated controller; none when it could not run.
template <class Scenario>
std::optional<Figures> measure(CTimedApplication& application, unsigned baud,
                               const Scenario& scenario) {
    CMainWindowFixture fixture;
    fixture.setUp();
    std::optional<Figures> figures;
    if (auto error = fixture.startController()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", error->c_str());
    } else {
        fixture.simulator->setBaud(baud);
        fixture.startWindow(clickWithoutConnection);
        application.takeLongestMs();
        const StallResult result = scenario(fixture);
        const qint64 longestEventMs = application.takeLongestMs();
        if (result.workDone) {
            figures = Figures{result.lateness, longestEventMs};
        }
    }
    fixture.tearDown();
    return figures;
}

void report(const char* what, const std::optional<Figures>& figures, bool& met) {
    if (!figures) {
        met = false;
        std::printf("%-48s did not run its work\n", what);
        return;
    }
    const CLatenessProbe::Lateness& lateness = figures->lateness;
    met = met && lateness.beyondPausesMs <= kGoalMs;
    std::printf("%-48s %5lld %9lld %8lld %8lld ms  (goal <= %lld)\n", what,
                static_cast<long long>(lateness.worstMs),
                static_cast<long long>(lateness.longestPauseMs),
                static_cast<long long>(lateness.beyondPausesMs),
                static_cast<long long>(figures->longestEventMs), static_cast<long long>(kGoalMs));
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CTimedApplication application(argc, argv);

    const std::optional<Figures> pulled = measure(
        application, 38400, [](CMainWindowFixture& fixture) { return pulledCable(fixture, 20s); });
    const std::optional<Figures> update =
        measure(application, 38400, [](CMainWindowFixture& fixture) {
            const std::string path = fixture.directory + "/sample.afm";
            const std::vector<std::string> options{path, "--sample"};
            std::ostringstream errors;
            sim::runAfmTool(options, errors);
            fixture.files->otherwise = toU16(path);
            return updateFromButton(fixture);
        });
    const std::optional<Figures> polling =
        measure(application, 38400,
                [](CMainWindowFixture& fixture) { return pollingWithChartAndSpin(fixture, 60s); });

    bool met = true;
    std::printf("a 5 ms event-loop timer's worst lateness, a bare thread's (the machine's), the\n"
                "timer's worst beyond the machine's pauses, the longest event handled:\n");
    std::printf("%-48s %5s %9s %8s %8s\n", "", "worst", "machine", "beyond", "event");
    report("(a) 20 s of a pulled cable, reconnect attempts", pulled, met);
    report("(b) a full firmware update at 38400 baud", update, met);
    report("(c) 60 s of polling, chart, a spin every second", polling, met);
    return met ? 0 : 1;
}
