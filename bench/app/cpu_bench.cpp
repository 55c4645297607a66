// The whole tool's processor time (every thread, from getrusage) with the main window connected
// to krv-sim, a process of its own on a pseudo-terminal driving the car on petrol: (a) idle,
// the readings shown and the chart stopped, (b) the chart running. Goal: at most 1 % of a core
// idle and 2 % with the chart running.

#include "tests/app/main_window_fixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>

using namespace krv;
using namespace krv::test;

namespace {

constexpr double kIdleGoalPercent = 1.0;
constexpr double kChartGoalPercent = 2.0;
constexpr int kSeconds = 30;

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Share of one core the process used over the next `seconds`, the window's loop running as the
// tool's own does: asleep until something is due (QTest::qWait would wake it every 10 ms).
double percentOfCoreOver(int seconds) {
    const double before = processorSeconds();
    const auto start = std::chrono::steady_clock::now();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    return 100.0 * (processorSeconds() - before) / wall.count();
}

bool report(const char* what, double percent, double goal) {
    std::printf("%-46s %5.2f %% of a core  (goal <= %.0f %%)\n", what, percent, goal);
    return percent <= goal;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    CMainWindowFixture fixture;
    fixture.setUp();
    const std::string link = fixture.directory + "/port1";
    QProcess simulator;
    simulator.start(QStringLiteral(KRV_SIM_PATH),
                    {"--link", QString::fromStdString(link), "--drive"});
    const bool published = simulator.waitForStarted(5000) &&
                           QTest::qWaitFor([&] { return std::filesystem::exists(link); }, 5000);
    if (!published) {
        std::fprintf(stderr, "krv-sim did not start\n");
        return 1;
    }
    qputenv("KRV_PORTS", QByteArray(link.c_str()));
    fixture.startWindow(clickWithoutConnection);
    if (!fixture.dialog->device().connected) {
        std::fprintf(stderr, "the window did not connect to krv-sim\n");
        return 1;
    }
    // The fixture's watch for a later no-connection window polls every 10 ms: the test's own
    // cost, not the tool's, and no such window comes while the simulator answers.
    fixture.laterChoices.reset();
    QTest::qWait(2000); // the start-up's own work settles

    const double idle = percentOfCoreOver(kSeconds);
    fixture.dialog->controls().button(mainId::kChartStart)->click();
    const int pointsBefore = fixture.dialog->xCounter;
    const double chart = percentOfCoreOver(kSeconds);
    const bool fed = fixture.dialog->xCounter > pointsBefore;

    fixture.tearDown();
    simulator.terminate();
    simulator.waitForFinished(5000);

    std::printf("the whole tool's processor time over %d s each, against krv-sim --drive:\n",
                kSeconds);
    bool met = report("(a) connected, readings shown, chart stopped", idle, kIdleGoalPercent);
    met = report("(b) the chart running", chart, kChartGoalPercent) && met;
    if (!fed) {
        std::printf("the chart was not fed\n");
    }
    return met && fed ? 0 : 1;
}
