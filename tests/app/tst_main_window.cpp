// The main window as a fitter meets it: start-up without a controller, the demo, a simulated
// controller whose link is lost and comes back, an error during the search, the keys that must
// not close it, the chart's Start and Stop, and its title in every shipped language.

#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
#include "link/rs_error.h"
#include "main_window_fixture.h"
#include "tests/support/paint_recorder.h"
#include "tests/support/unavailable.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTest>

using namespace krv;
using namespace krv::test;

namespace {

struct Fields {
    QString speed, input, output, pumpPwm, workingState;
    bool operator==(const Fields&) const = default;
};

Fields readingFields(const CKorrinDlg& dialog) {
    return {fieldText(dialog, mainId::kRpm), fieldText(dialog, mainId::kInput),
            fieldText(dialog, mainId::kOutput), fieldText(dialog, mainId::kPumpPwm),
            fieldText(dialog, mainId::kWorkingState)};
}

// Throws a port error out of the port search, where a controller would be chosen.
class CDialogFailingInSearch : public CKorrinDlg {
public:
    using CKorrinDlg::CKorrinDlg;
    bool chooseDemoMode() override {
        IErrorHelper<CRSError>().raise(kRsOperationFailed, u"CSerialPort::read() - errno=5",
                                       __LINE__, "serialport");
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;
    std::unique_ptr<CKorrinDlg>& dialog = fixture.dialog;

private slots:
    void init() { fixture.setUp(); }

    void cleanup() {
        fixture.tearDown();
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
    }

    void withoutPortsAndWithoutConnectionNothingRuns() {
        fixture.startWindow(clickWithoutConnection);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("BRAK KOMUNIKACJI"));
        QVERIFY(!dialog->timerActive(CKorrinDlg::kReadingsTimer));
        QVERIFY(!dialog->timerActive(CKorrinDlg::kReconnectTimer));
        QTest::qWait(300); // three refresh periods: nothing may arrive
        QCOMPARE(readingFields(*dialog), Fields{});
        QVERIFY(fixture.shown().empty());
    }

    // The commonest first mistake: the tool started before the cable was plugged in. Without
    // a controller the window watches the port table and connects once one answers.
    void controllerPluggedInAfterStartingWithoutConnectionIsConnected() {
        fixture.startWindow(clickWithoutConnection);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("BRAK KOMUNIKACJI"));
        QVERIFY(dialog->watchingPorts());
        if (auto error = fixture.startController()) { // the port appears in the table
            KRV_QTEST_UNAVAILABLE(*error);
        }

        QTRY_VERIFY_WITH_TIMEOUT(dialog->device().connected && !dialog->operationRunning(), 15000);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("POŁĄCZONY"));
        QVERIFY(!dialog->watchingPorts());
        QVERIFY(dialog->timerActive(CKorrinDlg::kReadingsTimer));
        QTRY_VERIFY_WITH_TIMEOUT(dialog->device().diagData.sampleCount() > 0, 10000);
        QCOMPARE(fixture.laterChoices->answered(), 0);
        QVERIFY(fixture.shown().empty());
    }

    void demoShowsTheSimulatedRecord() {
        fixture.startWindow(clickDemo);
        // Made-up readings are never taken for a controller's.
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("DEMO (BEZ STEROWNIKA)"));
        QCOMPARE(dialog->windowTitle(),
                 QStringLiteral("Emulator ciśnienia paliwa KRV v 1.12 \u2014 "
                                "DEMO: odczyty nie pochodzą ze sterownika"));
        const Fields demo{"2210", "2.00", "2.03", "3.17", QStringLiteral("Wyłączony")};
        QTRY_COMPARE_WITH_TIMEOUT(readingFields(*dialog), demo, 10000);
        // Settings and map come from the device's construction values.
        QCOMPARE(dialog->controls().edit(mainId::kRpmDivider)->text(), QStringLiteral("1"));
        QCOMPARE(dialog->mapGrid().cell(0, 0).getTxt(), QStringLiteral("0.00"));
        QCOMPARE(dialog->mapGrid().rowHeader(15).getTxt(), QStringLiteral("15.36"));
    }

    void lostLinkIsShownAndTheReconnectRestoresLiveReadings() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        sim::CController& controller = *fixture.controller;
        sim::CSimulator& simulator = *fixture.simulator;

        fixture.startWindow(clickDemo);
        QVERIFY(dialog->device().connected);
        QVERIFY(!dialog->device().demoMode);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("POŁĄCZONY"));
        QVERIFY(!dialog->windowTitle().contains(QStringLiteral("DEMO")));
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kWorkingState),
                                  QStringLiteral("Wyłączony"), 10000);

        const Fields lastShown = readingFields(*dialog);
        simulator.setSilent(true); // the cable pulled
        // Before the link is declared lost, the readings stop being the engine's.
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kStatus),
                                  QStringLiteral("SPRAWDZANIE POŁĄCZENIA..."), 5000);
        QCOMPARE(readingFields(*dialog), Fields{});
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->device().connected, 20000);
        QElapsedTimer sinceLoss;
        sinceLoss.start();
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kStatus),
                                  QStringLiteral("BRAK POŁĄCZENIA"), 5000);
        // Shown by the readings refresh, long before the first reconnect attempt at 1 s.
        QVERIFY2(sinceLoss.elapsed() < 900, qPrintable(QString::number(sinceLoss.elapsed())));
        // The last readings are not the engine's any more: the fields are emptied.
        QVERIFY(lastShown != Fields{});
        QCOMPARE(readingFields(*dialog), Fields{});

        sim::ControllerKnobs knobs = controller.knobs();
        knobs.onGas = true;
        controller.setKnobs(knobs);
        simulator.setSilent(false); // and plugged back
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kStatus), QStringLiteral("CONNECTED"),
                                  20000);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kWorkingState),
                                  QStringLiteral("Włączony"), 10000);
        QVERIFY(fixture.shown().empty());
    }

    // Closed while a reconnect attempt waits for the pulled cable: the window goes well inside
    // the one-second read time-out, and nothing runs behind it.
    void closingWhileTheCableIsPulledIsQuick() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        QVERIFY(dialog->device().connected);
        fixture.simulator->setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->operationRunning(), 20000); // "ŁĄCZENIE..."
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("ŁĄCZENIE..."));
        QVERIFY(!dialog->controls().button(mainId::kFirmwareUpdate)->isEnabled());

        dialog->controls().button(mainId::kClose)->click();
        QElapsedTimer closing;
        closing.start();
        dialog.reset();
        QVERIFY2(closing.elapsed() < 500, qPrintable(QString::number(closing.elapsed())));
        QCOMPARE(fixture.threads->runningCount(), size_t{0});
    }

    void errorInTheSearchIsReportedOnceAndTheWindowOpens() {
        fixture.startWindow<CDialogFailingInSearch>(clickWithoutConnection);
        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        QVERIFY(QString::fromStdU16String(shown[0].text)
                    .startsWith(QStringLiteral("CKorrinDlg::OnInitDialog()\n")));
        QVERIFY(shown[0].text.size() > std::u16string_view(u"CKorrinDlg::OnInitDialog()\n").size());
        QCOMPARE(QString::fromStdU16String(shown[0].caption), QStringLiteral("Emulator KRV"));
        QCOMPARE(shown[0].style, MB_OK);
        QVERIFY(dialog->isVisible());
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("BRAK KOMUNIKACJI"));
    }

    void enterAndEscapeDoNothing_data() {
        QTest::addColumn<int>("focusId");
        QTest::addColumn<int>("key");
        for (int id : {mainId::kClose, mainId::kChartStart, mainId::kRpm, mainId::kMap}) {
            for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::addRow("control %d, key %x", id, key) << id << key;
            }
        }
    }

    void enterAndEscapeDoNothing() {
        QFETCH(int, focusId);
        QFETCH(int, key);
        fixture.startWindow(clickWithoutConnection);
        QWidget* target =
            focusId == mainId::kMap ? &dialog->mapGrid() : dialog->controls().control(focusId);
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key));
        QTest::keyClick(dialog.get(), static_cast<Qt::Key>(key));
        QVERIFY(dialog->isVisible());
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("BRAK KOMUNIKACJI"));
    }

    // Escape in an open cell editor cancels the edit (and only that): nothing reaches the
    // controller, the cell keeps its text and the window stays open. Enter in its place writes.
    void escapeInAnOpenCellEditorCancelsTheEdit() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        QVERIFY(dialog->device().connected);
        CMapEmu1& grid = dialog->mapGrid();
        const auto controllerAxis = [this] { return fixture.controller->state().rowAxis; };
        const auto axisBefore = controllerAxis();
        const QString headerBefore = grid.rowHeader(3).getTxt();
        // The editor with "7.5" typed over the header's text, or null when none opened.
        const auto openEditorAndType = [&grid]() -> QLineEdit* {
            QTest::mouseDClick(&grid, Qt::LeftButton, {}, grid.cellRect(-1, 3).center());
            auto* editor = grid.findChild<QLineEdit*>();
            if (!grid.isEditing() || editor == nullptr || !editor->isVisible()) {
                return nullptr;
            }
            editor->selectAll();
            QTest::keyClicks(editor, "7.5");
            return editor;
        };

        QLineEdit* editor = openEditorAndType();
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!grid.isEditing());
        QVERIFY(!editor->isVisible());
        QCOMPARE(grid.rowHeader(3).getTxt(), headerBefore);
        QCOMPARE(controllerAxis(), axisBefore);
        QVERIFY(dialog->isVisible());

        editor = openEditorAndType();
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!grid.isEditing());
        QCOMPARE(grid.rowHeader(3).getTxt(), QStringLiteral("7.50"));
        QVERIFY(fixture.waitForOperations());
        QVERIFY(controllerAxis() != axisBefore);
    }

    void closesThroughCloseButtonAndCloseBox() {
        fixture.startWindow(clickWithoutConnection);
        dialog->controls().button(mainId::kClose)->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));

        dialog->show();
        QVERIFY(dialog->close()); // the close box
        QVERIFY(!dialog->isVisible());
    }

    void stopThenStartClearsTheChartAndRestartsAtZero() {
        fixture.startWindow(clickDemo);
        const auto& series = dialog->chart().model().series();
        QTest::qWait(300);
        QVERIFY2(series.at(0).samples.empty(), "the chart starts paused");

        dialog->controls().button(mainId::kChartStart)->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->xCounter >= 3, 10000);
        dialog->controls().button(mainId::kChartStop)->click();
        const int stoppedAt = dialog->xCounter;
        QTest::qWait(400);
        QCOMPARE(dialog->xCounter, stoppedAt);

        dialog->controls().button(mainId::kChartStart)->click();
        QCOMPARE(dialog->xCounter, 0);
        for (const auto& [id, one] : series) {
            QVERIFY(one.samples.empty());
        }
        QCOMPARE(dialog->chart().model().viewStart(), 0.0f);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->xCounter >= 1, 10000);
        QCOMPARE(series.at(0).samples.begin()->first, 0.0f);
    }

    void oneSampleMovesFieldsAndMarkerButNotTheChart() {
        fixture.startWindow(clickWithoutConnection);
        dialog->device().connected = true; // as after a search, without a polling thread
        dialog->controls().button(mainId::kChartStart)->click();

        // 2210 rpm at 3.165 V pump PWM: column 6 (2300 rpm), row 3 (3.84 V).
        dialog->device().diagData.pushSample(readingsRecord(3400, 211, 400, 407, 3, 1));
        dialog->updateReadings();
        const Fields first{"2210", "2.00", "2.03", "3.17", QStringLiteral("Włączony")};
        QCOMPARE(readingFields(*dialog), first);
        QCOMPARE(dialog->mapGrid().currentColumn(), 6);
        QCOMPARE(dialog->mapGrid().currentRow(), 3);
        QVERIFY(dialog->chart().model().series().at(0).samples.empty());
        QCOMPARE(dialog->xCounter, 0);

        // A second sample: the chart gets the first one (it lags the fields by one sample).
        dialog->device().diagData.pushSample(readingsRecord(3400, 211, 800, 407, 3, 2));
        dialog->updateReadings();
        QCOMPARE(fieldText(*dialog, mainId::kInput), QStringLiteral("4.00"));
        const auto& input = dialog->chart().model().series().at(0).samples;
        QCOMPARE(input.size(), size_t{1});
        QCOMPARE(input.begin()->first, 0.0f);
        QCOMPARE(input.begin()->second, 2.0f * 100.0f / 15.0f);
        QCOMPARE(dialog->xCounter, 1);
        // The chart's labels read the volts back from the plotted values: the pump label
        // must say what the field said for that sample.
        const auto labels =
            dialog->chart().model().labels({300, 200}, [](std::u16string_view) { return 0; });
        QCOMPARE(labels.size(), size_t{3});
        QCOMPARE(QString::fromStdU16String(labels[2].text), first.pumpPwm);
    }

    // Readings that stopped coming are not shown as if they were the engine's: after about a
    // second the fields empty and the status says that the link is being checked (a write's
    // retries, a cable pulled before the link is declared lost); the next sample brings both
    // back.
    void staleReadingsShowAbsentWhileTheLinkIsChecked() {
        fixture.startWindow(clickWithoutConnection);
        dialog->device().connected = true; // as after a search, without a polling thread
        dialog->statusText = u"POŁĄCZONY";
        dialog->updateData(false);
        dialog->device().diagData.pushSample(readingsRecord(3400, 211, 400, 407, 3, 1));
        dialog->updateReadings();
        const Fields shown{"2210", "2.00", "2.03", "3.17", QStringLiteral("Włączony")};
        QCOMPARE(readingFields(*dialog), shown);

        QTest::qWait(CKorrinDlg::kReadingsStaleAfter.count() / 2);
        dialog->updateReadings(); // the same sample, still young
        QCOMPARE(readingFields(*dialog), shown);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("POŁĄCZONY"));

        QTest::qWait(CKorrinDlg::kReadingsStaleAfter.count() * 3 / 4);
        dialog->updateReadings();
        QCOMPARE(readingFields(*dialog), Fields{});
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("SPRAWDZANIE POŁĄCZENIA..."));

        dialog->device().diagData.pushSample(readingsRecord(3400, 211, 800, 407, 3, 2));
        dialog->updateReadings();
        QCOMPARE(fieldText(*dialog, mainId::kInput), QStringLiteral("4.00"));
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("POŁĄCZONY"));
    }

    // The chart names its lines and shows its scale before anything is plotted; fitted to what
    // it shows, a few tenths of a volt between input and output take a good part of its height
    // instead of a few pixels, and the choice is there again at the next start.
    void chartRangeFitsWhatIsShownAndIsRemembered() {
        fixture.startWindow(clickWithoutConnection);
        CScrollChart<float>& chart = dialog->chart();
        const QImage empty = chart.renderFrame();
        QSet<QRgb> legendColours;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < empty.width() / 2; ++x) {
                legendColours.insert(empty.pixel(x, y) & 0xFFFFFF);
            }
        }
        for (const ChartLine& line : kChartLines) {
            QVERIFY2(legendColours.contains(line.colour.rgb() & 0xFFFFFF),
                     qPrintable(line.colour.name()));
        }
        QCOMPARE(dialog->chartScale().range(), CChartScale::Range::whole);

        dialog->device().connected = true; // as after a search, without a polling thread
        dialog->controls().button(mainId::kChartStart)->click();
        for (uint32_t n = 1; n <= 4; ++n) { // input 2.00 V, output 2.30 V, pump 1.50 V
            dialog->device().diagData.pushSample(readingsRecord(3400, 100, 400, 460, 3, n));
            dialog->updateReadings();
        }
        const auto gap = [&] {
            const ClientSize size{chart.clientRect().width(), chart.clientRect().height()};
            return chart.model().toPixel(1, chartValueOfVolts(2.0), size).y -
                   chart.model().toPixel(1, chartValueOfVolts(2.3), size).y;
        };
        const int wholeGap = gap();
        QMenu* menu = dialog->chartFiles().menu();
        QAction* fitted = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == qtext(texts::kChartRangeFitted)) {
                fitted = action;
            }
        }
        QVERIFY(fitted != nullptr);
        fitted->trigger();
        delete menu;
        QVERIFY2(gap() >= 5 * wholeGap, qPrintable(QString("%1 %2").arg(gap()).arg(wholeGap)));
        // Every line stays inside the chart.
        for (const double volts : {1.5, 2.0, 2.3}) {
            const int y = chart.model()
                              .toPixel(1, chartValueOfVolts(volts),
                                       {chart.clientRect().width(), chart.clientRect().height()})
                              .y;
            QVERIFY2(y > 0 && y < chart.clientRect().height(), qPrintable(QString::number(volts)));
        }

        fixture.dialog.reset();
        fixture.startWindow(clickWithoutConnection);
        QCOMPARE(dialog->chartScale().range(), CChartScale::Range::fitted);
    }

    // Ten times a second: the fields alone, not the frame of their group nor the window under them.
    void newReadingsRepaintTheirFieldsAlone() {
        fixture.startWindow(clickWithoutConnection);
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->device().connected = true; // as after a search, without a polling thread
        dialog->device().diagData.pushSample(readingsRecord(3400, 211, 400, 407, 3, 1));
        dialog->updateReadings();
        CPaintRecorder window(*dialog);
        CPaintRecorder group(*dialog->controls().control(mainId::kReadingsGroup));
        CPaintRecorder input(*dialog->controls().control(mainId::kInput));
        QRegion underneath;
        QRegion field;
        const QRegion groupFrame = group.repaintedAfter([&] {
            underneath = window.repaintedAfter([&] {
                field = input.repaintedAfter([&] {
                    dialog->device().diagData.pushSample(readingsRecord(3400, 211, 800, 407, 3, 2));
                    dialog->updateReadings();
                });
            });
        });
        QCOMPARE(fieldText(*dialog, mainId::kInput), QStringLiteral("4.00"));
        QVERIFY(!field.isEmpty());
        QVERIFY(groupFrame.isEmpty());
        QVERIFY(underneath.isEmpty());
    }

    void titleInEveryShippedLanguage_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("close");
        QTest::newRow("Polish") << int(kBuiltInSlot)
                                << QStringLiteral("Emulator ciśnienia paliwa KRV v 1.12")
                                << QStringLiteral("Zamknij");
        QTest::newRow("English") << int(kEnglishSlot)
                                 << QStringLiteral("Fuel pressure emulator KRV v 1.12")
                                 << QStringLiteral("Close");
        QTest::newRow("Russian") << int(kRussianSlot)
                                 << QStringLiteral("Эмулятор давления топлива KRV v 1.12")
                                 << QStringLiteral("Закрыть");
        QTest::newRow("Spanish") << int(kSpanishSlot)
                                 << QStringLiteral("Emulador de presión de combustible KRV v 1.12")
                                 << QStringLiteral("Cerrar");
    }

    void titleInEveryShippedLanguage() {
        QFETCH(int, slot);
        QFETCH(QString, title);
        QFETCH(QString, close);
        setLanguageSlot(slot);
        openLanguageFiles(KRV_LANG_DIR);
        fixture.startWindow(clickWithoutConnection);
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->controls().button(mainId::kClose)->text(), close);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
