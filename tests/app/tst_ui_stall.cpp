// The window stays live while the controller keeps the tool busy: a 5 ms timer on its event
// loop is never half a second late (any wait on a one-second read would make it so) during a
// pulled cable with reconnect attempts, a full update on a 38400-baud wire, and polling with
// the chart running and a spin clicked every second.

#include "platform/text.h"
#include "sim/afm/afm_tool.h"
#include "tests/support/unavailable.h"
#include "ui_stall_scenarios.h"

#include <QProgressBar>
#include <sstream>
#include <string>
#include <vector>

using namespace krv;
using namespace krv::test;
using namespace std::chrono_literals;

namespace {

constexpr qint64 kGenerousBoundMs = 500;

} // namespace

class TestUiStall : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    // After fixture.startController(): true once the window is connected to it.
    bool startOnController(unsigned baud = 0) {
        fixture.simulator->setBaud(baud);
        fixture.startWindow(clickWithoutConnection);
        return fixture.dialog->device().connected;
    }

private slots:
    void init() { fixture.setUp(); }
    void cleanup() { fixture.tearDown(); }

    void pulledCableWithReconnectAttempts() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnController());
        const StallResult result = pulledCable(fixture, 10s, true);
        QVERIFY2(result.workDone, "a reconnect attempt ran");
        QVERIFY2(result.lateness.worstMs < kGenerousBoundMs,
                 qPrintable(QString::number(result.lateness.worstMs)));
    }

    void fullUpdateAt38400Baud() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnController(38400));
        const std::string path = fixture.directory + "/good.afm";
        std::ostringstream errors;
        const std::vector<std::string> options{path, "--sample"};
        QCOMPARE(sim::runAfmTool(options, errors), sim::kAfmToolOk);
        fixture.files->otherwise = toU16(path);

        const StallResult result = updateFromButton(fixture);
        QVERIFY(result.workDone);
        QCOMPARE(fixture.dialog->firmwareWindow().progress().bar()->value(), 100);
        QVERIFY(fixture.shown().empty());
        QVERIFY(fixture.dialog->device().connected);
        QVERIFY2(result.lateness.worstMs < kGenerousBoundMs,
                 qPrintable(QString::number(result.lateness.worstMs)));
    }

    void pollingWithChartAndSpinClicks() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnController());
        const StallResult result = pollingWithChartAndSpin(fixture, 5s);
        QVERIFY2(result.workDone, "the chart was fed");
        QVERIFY(fixture.shown().empty());
        QVERIFY2(result.lateness.worstMs < kGenerousBoundMs,
                 qPrintable(QString::number(result.lateness.worstMs)));
    }
};

QTEST_MAIN(TestUiStall)
#include "tst_ui_stall.moc"
