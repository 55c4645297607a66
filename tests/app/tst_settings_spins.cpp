// The settings spins against the simulated controller: steps at and across the limits, what is
// sent and what is not (demo, lost link, typed text), and the failure and error reports.

#include "app/spin_button.h"
#include "lang/program_texts.h"
#include "link/message.h"
#include "main_window_fixture.h"
#include "tests/support/unavailable.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using namespace krv;
using namespace krv::test;

namespace {

constexpr uint8_t kSettingsFrame = 3;
constexpr uint8_t kMapFrame = 9;

struct SpinRow {
    int spin;
    int edit;
    const char* operation;
};

constexpr SpinRow kRpmDividerRow{mainId::kRpmDividerSpin, mainId::kRpmDivider,
                                 "CSettingsDlg::OnDeltaposSpinRpmDiv()"};
constexpr SpinRow kNoiseDeltaRow{mainId::kNoiseDeltaSpin, mainId::kNoiseDelta,
                                 "CSettingsDlg::OnDeltaposSpinNoiseDelta()"};
constexpr SpinRow kNoisePeriodRow{mainId::kNoisePeriodSpin, mainId::kNoisePeriod,
                                  "CSettingsDlg::OnDeltaposSpinNoisePeriod()"};

const SpinRow& rowOf(int spin) {
    for (const SpinRow* row : {&kRpmDividerRow, &kNoiseDeltaRow, &kNoisePeriodRow}) {
        if (row->spin == spin) {
            return *row;
        }
    }
    return kRpmDividerRow;
}

// The row's value in a settings triple (the controller's or the device's).
unsigned settingOf(int spin, unsigned rpmDivider, unsigned noiseDelta, unsigned noisePeriod) {
    return spin == mainId::kRpmDividerSpin   ? rpmDivider
           : spin == mainId::kNoiseDeltaSpin ? noiseDelta
                                             : noisePeriod;
}

sim::ControllerSettings withSetting(int spin, unsigned value) {
    sim::ControllerSettings settings{7, 20, 1000};
    if (spin == mainId::kRpmDividerSpin) {
        settings.rpmDivider = static_cast<uint8_t>(value);
    } else if (spin == mainId::kNoiseDeltaSpin) {
        settings.noiseDelta = static_cast<uint8_t>(value);
    } else {
        settings.noisePeriod = static_cast<uint16_t>(value);
    }
    return settings;
}

} // namespace

class TestSettingsSpins : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    CKorrinDlg& dialog() { return *fixture.dialog; }

    // One notification as the spin sends it: the arrows for -1 (up) and +1 (down).
    // Once nothing else runs; returns once the step's own write has ended.
    void step(int spin, int delta) {
        fixture.waitForOperations();
        CSpinButton* button = dialog().controls().spin(spin);
        if (delta == -1) {
            button->upButton()->click();
        } else if (delta == 1) {
            button->downButton()->click();
        } else {
            emit button->stepped(delta);
        }
        fixture.waitForOperations();
    }

    QString editText(int spin) { return dialog().controls().edit(rowOf(spin).edit)->text(); }

    // What the window's model holds as acknowledged by the controller.
    unsigned modelSetting(int spin) {
        const DeviceSettings settings = dialog().model().acknowledged().settings();
        return settingOf(spin, settings.rpmDivider, settings.noiseDelta, settings.noisePeriod);
    }

    unsigned controllerSetting(int spin) {
        const auto settings = fixture.controller->state().settings;
        return settingOf(spin, settings.rpmDivider, settings.noiseDelta, settings.noisePeriod);
    }

private slots:
    void init() { fixture.setUp(); }
    void cleanup() { fixture.tearDown(); }

    void stepsWithinAndAcrossTheLimits_data() {
        QTest::addColumn<int>("spin");
        QTest::addColumn<unsigned>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<unsigned>("expected");
        QTest::addColumn<bool>("sent");
        const int divider = mainId::kRpmDividerSpin;
        const int delta = mainId::kNoiseDeltaSpin;
        const int period = mainId::kNoisePeriodSpin;
        QTest::newRow("divider 200, up: stays") << divider << 200u << -1 << 200u << false;
        QTest::newRow("divider 1, down: stays") << divider << 1u << 1 << 1u << false;
        QTest::newRow("divider 198, step -5: dropped whole")
            << divider << 198u << -5 << 198u << false;
        QTest::newRow("divider 7, up: 8, sent") << divider << 7u << -1 << 8u << true;
        QTest::newRow("divider 7, down: 6, sent") << divider << 7u << 1 << 6u << true;
        QTest::newRow("delta 0, down: stays") << delta << 0u << 1 << 0u << false;
        QTest::newRow("delta 255, up: stays") << delta << 255u << -1 << 255u << false;
        QTest::newRow("delta 254, up: 255, sent") << delta << 254u << -1 << 255u << true;
        QTest::newRow("period 50000, up: stays") << period << 50000u << -1 << 50000u << false;
        QTest::newRow("period 49999, up: 50000, sent") << period << 49999u << -1 << 50000u << true;
        QTest::newRow("period 300, step -200: 500, sent") << period << 300u << -200 << 500u << true;
    }

    void stepsWithinAndAcrossTheLimits() {
        QFETCH(int, spin);
        QFETCH(unsigned, start);
        QFETCH(int, delta);
        QFETCH(unsigned, expected);
        QFETCH(bool, sent);
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        const sim::ControllerSettings settings = withSetting(spin, start);
        fixture.controller->setSettings(settings);
        fixture.startWindow(clickWithoutConnection);
        QVERIFY(dialog().device().connected);
        QCOMPARE(editText(spin), QString::number(start));
        fixture.controller->clearRequests();

        step(spin, delta);

        QCOMPARE(editText(spin), QString::number(expected));
        QCOMPARE(modelSetting(spin), expected);
        QCOMPARE(controllerSetting(spin), expected);
        QCOMPARE(fixture.controller->requests(kSettingsFrame).size(), size_t{sent ? 1u : 0u});
        if (sent) {
            // All three go in one request, and the map follows them.
            const auto written = fixture.controller->state().settings;
            QVERIFY(written == withSetting(spin, expected));
            QCOMPARE(fixture.controller->requests(kMapFrame).size(), size_t{1});
        }
        QVERIFY(fixture.shown().empty());
    }

    void typedTextIsNeverRead() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.controller->setSettings({7, 20, 1000});
        fixture.startWindow(clickWithoutConnection);
        QLineEdit* edit = dialog().controls().edit(mainId::kRpmDivider);
        edit->clear();
        QTest::keyClicks(edit, "77");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(modelSetting(mainId::kRpmDividerSpin), 7u);
        QVERIFY(dialog().isVisible());

        step(mainId::kRpmDividerSpin, -1);
        QCOMPARE(edit->text(), QStringLiteral("8"));
        QCOMPARE(fixture.controller->state().settings.rpmDivider, uint8_t{8});
    }

    void demoChangesTheValueWithoutAnyExchange() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.simulator->setSilent(true); // nobody answers the search: the demo is chosen
        fixture.startWindow(clickDemo);
        QVERIFY(dialog().device().demoMode);
        fixture.simulator->setSilent(false);
        const uint64_t heard = fixture.simulator->counters().received;

        step(mainId::kNoisePeriodSpin, -1);
        step(mainId::kNoisePeriodSpin, -1);

        QCOMPARE(editText(mainId::kNoisePeriodSpin), QStringLiteral("2"));
        QCOMPARE(modelSetting(mainId::kNoisePeriodSpin), 2u);
        QCOMPARE(fixture.simulator->counters().received, heard);
        QVERIFY(fixture.shown().empty());
    }

    // Without a controller to take a step the spins are greyed: a field never shows a value
    // that nobody sent (it would vanish at the reconnect, and a map file saved meanwhile would
    // hold the old one). A step that still comes (the link went down a moment before the
    // spins could be greyed) leaves the field as the controller holds it.
    void spinsAreGreyedWhileNoControllerTakesASteps() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.controller->setSettings({7, 20, 1000});
        fixture.startWindow(clickWithoutConnection);
        const int spins[] = {mainId::kRpmDividerSpin, mainId::kNoiseDeltaSpin,
                             mainId::kNoisePeriodSpin};
        for (int spin : spins) {
            QVERIFY(dialog().controls().spin(spin)->isEnabled());
        }
        fixture.simulator->setSilent(true); // the cable pulled
        QTRY_VERIFY_WITH_TIMEOUT(!dialog().device().connected, 20000);
        fixture.controller->clearRequests();

        for (int spin : spins) {
            QTRY_VERIFY(!dialog().controls().spin(spin)->isEnabled());
        }
        emit dialog().controls().spin(mainId::kRpmDividerSpin)->stepped(-1);
        emit dialog().controls().spin(mainId::kNoiseDeltaSpin)->stepped(-1);
        QCOMPARE(editText(mainId::kRpmDividerSpin), QStringLiteral("7"));
        QCOMPARE(editText(mainId::kNoiseDeltaSpin), QStringLiteral("20"));
        QVERIFY(fixture.controller->requests(kSettingsFrame).empty());
        QVERIFY(fixture.shown().empty());

        fixture.simulator->setSilent(false); // and plugged back
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kStatus), QStringLiteral("CONNECTED"),
                                  20000);
        for (int spin : spins) {
            QTRY_VERIFY(dialog().controls().spin(spin)->isEnabled());
        }
        step(mainId::kRpmDividerSpin, -1);
        QCOMPARE(editText(mainId::kRpmDividerSpin), QStringLiteral("8"));
        QCOMPARE(fixture.controller->state().settings.rpmDivider, uint8_t{8});
    }

    void spinsAreGreyedWithoutAnyController() {
        fixture.startWindow(clickWithoutConnection);
        QVERIFY(!dialog().device().connected);
        for (int spin :
             {mainId::kRpmDividerSpin, mainId::kNoiseDeltaSpin, mainId::kNoisePeriodSpin}) {
            QVERIFY(!dialog().controls().spin(spin)->isEnabled());
        }
    }

    void refusedWriteLeavesWhatTheControllerHoldsAndSaysSo() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.controller->setSettings({7, 20, 1000});
        fixture.startWindow(clickWithoutConnection);
        dialog().device().stopPolling(); // the refusing controller would otherwise end the link
        auto knobs = fixture.controller->knobs();
        knobs.forcedReply = sim::Frame{2, {0, 0, 0, 0, 0, 0}};
        fixture.controller->setKnobs(knobs);

        step(mainId::kNoiseDeltaSpin, 1);

        QCOMPARE(editText(mainId::kNoiseDeltaSpin), QStringLiteral("20"));
        QCOMPARE(modelSetting(mainId::kNoiseDeltaSpin), 20u);
        QCOMPARE(fixture.controller->state().settings.noiseDelta, uint8_t{20});
        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        // It refuses its reads as well: what it holds is to be read when it answers again.
        QCOMPARE(qtext(shown[0].text), qtext(texts::kWriteLinkLost));
        QCOMPARE(qtext(shown[0].caption), QStringLiteral("Emulator KRV"));
        QCOMPARE(shown[0].style, MB_ICONERROR);
        QCOMPARE(shown[0].owner, static_cast<MessageOwner>(&dialog()));
    }

    void portErrorIsReportedUnderTheRowsOperation_data() {
        QTest::addColumn<int>("spin");
        QTest::newRow("divider") << mainId::kRpmDividerSpin;
        QTest::newRow("delta") << mainId::kNoiseDeltaSpin;
        QTest::newRow("period") << mainId::kNoisePeriodSpin;
    }

    void portErrorIsReportedUnderTheRowsOperation() {
        QFETCH(int, spin);
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.controller->setSettings({7, 20, 1000});
        fixture.startWindow(clickWithoutConnection);
        dialog().device().stopPolling();
        dialog().device().port.close(); // every write now fails in the operating system

        step(spin, -1);

        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        const QStringList lines = qtext(shown[0].text).split('\n');
        QCOMPARE(lines.first(), QString::fromLatin1(rowOf(spin).operation));
        QVERIFY2(lines.size() > 1 && !lines[1].isEmpty(), qPrintable(qtext(shown[0].text)));
        QCOMPARE(qtext(shown[0].caption), QStringLiteral("Emulator KRV"));
        QCOMPARE(shown[0].style, MB_OK);
        // The controller never heard of the new value, so the field does not show it.
        QCOMPARE(editText(spin), QString::number(controllerSetting(spin)));
    }
};

QTEST_MAIN(TestSettingsSpins)
#include "tst_settings_spins.moc"
