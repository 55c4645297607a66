// The main window as a fitter meets it: start-up without a controller, the demo, a simulated
// controller whose link is lost and comes back, an error during the search, the keys that must
// not close it, the chart's Start and Stop, and its title in every shipped language.

#include "app/korrin_dlg.h"
#include "app/no_connection_dlg.h"
#include "connection/process_state.h"
#include "connection/thread_manager.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "link/message_recorder.h"
#include "link/rs_error.h"
#include "modal_answer.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace krv;
using krv::test::CModalAnswer;

namespace {

using NoConnectionAnswer = CModalAnswer<CNoConnectionDlg>;

void clickDemo(CNoConnectionDlg& dialog) {
    dialog.demoButton()->click();
}
void clickWithoutConnection(CNoConnectionDlg& dialog) {
    dialog.withoutConnectionButton()->click();
}

QString fieldText(const CKorrinDlg& dialog, int id) {
    return QString::fromStdU16String(dialog.controls().text(id));
}

struct Fields {
    QString speed, input, output, pumpPwm, workingState;
    bool operator==(const Fields&) const = default;
};

Fields readingFields(const CKorrinDlg& dialog) {
    return {fieldText(dialog, mainId::kRpm), fieldText(dialog, mainId::kInput),
            fieldText(dialog, mainId::kOutput), fieldText(dialog, mainId::kPumpPwm),
            fieldText(dialog, mainId::kWorkingState)};
}

// A readings record as the controller sends it (controller units).
CDiag readingsRecord(uint16_t rpmPeriod, int16_t pumpPwm, uint16_t input, uint16_t output,
                     uint8_t workState, uint32_t number) {
    CDiag record;
    record.setWord(CDiag::kRpmPeriod, rpmPeriod);
    record.setWord(CDiag::kPumpPwm, static_cast<uint16_t>(pumpPwm));
    record.setWord(CDiag::kInputVoltage, input);
    record.setWord(CDiag::kOutputVoltage, output);
    record.raw[CDiag::kWorkState] = workState;
    record.sampleNumber = number;
    return record;
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
    std::string directory;
    std::unique_ptr<CMessageRecorder> messages;
    std::unique_ptr<CLPGThreadManager> threads;
    std::unique_ptr<CKorrinDlg> dialog;

    // The window after its initialisation, with the no-connection dialog (if it comes)
    // answered by answer.
    template <class Dialog = CKorrinDlg>
    void startWindow(std::function<void(CNoConnectionDlg&)> answer) {
        NoConnectionAnswer answering(std::move(answer));
        dialog = std::make_unique<Dialog>(*threads);
        dialog->OnInitDialog();
        dialog->show();
    }

private slots:
    void init() {
        char pattern[] = "/tmp/krv-app-XXXXXX";
        directory = ::mkdtemp(pattern);
        qputenv("XDG_CONFIG_HOME", QByteArray(directory.c_str()));
        qputenv("KRV_PORTS", QByteArray());
        failureCount = 0;
        foreignControllerReported = false;
        messages = std::make_unique<CMessageRecorder>();
        threads = std::make_unique<CLPGThreadManager>();
    }

    void cleanup() {
        dialog.reset();
        threads.reset();
        messages.reset();
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
        std::filesystem::remove_all(directory);
    }

    void withoutPortsAndWithoutConnectionNothingRuns() {
        startWindow(clickWithoutConnection);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("BRAK KOMUNIKACJI"));
        QVERIFY(!dialog->timerActive(IMainWindow::kReadingsTimer));
        QVERIFY(!dialog->timerActive(IMainWindow::kReconnectTimer));
        QTest::qWait(300); // three refresh periods: nothing may arrive
        QCOMPARE(readingFields(*dialog), Fields{});
        QVERIFY(messages->messages().empty());
    }

    void demoShowsTheSimulatedRecord() {
        startWindow(clickDemo);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("POŁĄCZONY"));
        const Fields demo{"2210", "2.00", "2.03", "3.17", QStringLiteral("Wyłączony")};
        QTRY_COMPARE_WITH_TIMEOUT(readingFields(*dialog), demo, 10000);
        // Settings and map come from the device's construction values.
        QCOMPARE(dialog->controls().edit(mainId::kRpmDivider)->text(), QStringLiteral("1"));
        QCOMPARE(dialog->mapGrid().cell(0, 0).getTxt(), QStringLiteral("0.0"));
        QCOMPARE(dialog->mapGrid().rowHeader(15).getTxt(), QStringLiteral("15.36"));
    }

    void lostLinkIsShownAndTheReconnectRestoresLiveReadings() {
        sim::CController controller;
        sim::CSimulator simulator(controller);
        const std::string link = directory + "/port1";
        simulator.start(link);
        qputenv("KRV_PORTS", QByteArray(link.c_str()));

        startWindow(clickDemo);
        QVERIFY(dialog->connected);
        QVERIFY(!dialog->demoMode);
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("POŁĄCZONY"));
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kWorkingState),
                                  QStringLiteral("Wyłączony"), 10000);

        simulator.setSilent(true); // the cable pulled
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->connected, 20000);
        QElapsedTimer sinceLoss;
        sinceLoss.start();
        const Fields lastShown = readingFields(*dialog);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kStatus),
                                  QStringLiteral("BRAK POŁĄCZENIA"), 5000);
        // Shown by the readings refresh, long before the first reconnect attempt at 1 s.
        QVERIFY2(sinceLoss.elapsed() < 900, qPrintable(QString::number(sinceLoss.elapsed())));
        QCOMPARE(readingFields(*dialog), lastShown);

        sim::ControllerKnobs knobs = controller.knobs();
        knobs.onGas = true;
        controller.setKnobs(knobs);
        simulator.setSilent(false); // and plugged back
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kStatus), QStringLiteral("CONNECTED"),
                                  20000);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(*dialog, mainId::kWorkingState),
                                  QStringLiteral("Włączony"), 10000);
        QVERIFY(messages->messages().empty());
    }

    void errorInTheSearchIsReportedOnceAndTheWindowOpens() {
        startWindow<CDialogFailingInSearch>(clickWithoutConnection);
        const auto shown = messages->messages();
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
        startWindow(clickWithoutConnection);
        QWidget* target =
            focusId == mainId::kMap ? &dialog->mapGrid() : dialog->controls().control(focusId);
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key));
        QTest::keyClick(dialog.get(), static_cast<Qt::Key>(key));
        QVERIFY(dialog->isVisible());
        QCOMPARE(fieldText(*dialog, mainId::kStatus), QStringLiteral("BRAK KOMUNIKACJI"));
    }

    void closesThroughCloseButtonAndCloseBox() {
        startWindow(clickWithoutConnection);
        dialog->controls().button(mainId::kClose)->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));

        dialog->show();
        QVERIFY(dialog->close()); // the close box
        QVERIFY(!dialog->isVisible());
    }

    void stopThenStartClearsTheChartAndRestartsAtZero() {
        startWindow(clickDemo);
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
        startWindow(clickWithoutConnection);
        dialog->connected = true; // as after a search, without a polling thread
        dialog->controls().button(mainId::kChartStart)->click();

        // 2210 rpm at 3.165 V pump PWM: column 6 (2300 rpm), row 3 (3.84 V).
        dialog->diagData.pushSample(readingsRecord(3400, 211, 400, 407, 3, 1));
        dialog->updateReadings();
        const Fields first{"2210", "2.00", "2.03", "3.17", QStringLiteral("Włączony")};
        QCOMPARE(readingFields(*dialog), first);
        QCOMPARE(dialog->mapGrid().currentColumn(), 6);
        QCOMPARE(dialog->mapGrid().currentRow(), 3);
        QVERIFY(dialog->chart().model().series().at(0).samples.empty());
        QCOMPARE(dialog->xCounter, 0);

        // A second sample: the chart gets the first one (it lags the fields by one sample).
        dialog->diagData.pushSample(readingsRecord(3400, 211, 800, 407, 3, 2));
        dialog->updateReadings();
        QCOMPARE(fieldText(*dialog, mainId::kInput), QStringLiteral("4.00"));
        const auto& input = dialog->chart().model().series().at(0).samples;
        QCOMPARE(input.size(), size_t{1});
        QCOMPARE(input.begin()->first, 0.0f);
        QCOMPARE(input.begin()->second, 2.0f * 100.0f / 15.0f);
        QCOMPARE(dialog->xCounter, 1);
        // The chart's labels read the volts back from the plotted values: the pump label
        // must say what the field said for that sample.
        const auto labels = dialog->chart().model().labels({300, 200});
        QCOMPARE(labels.size(), size_t{3});
        QCOMPARE(QString::fromStdU16String(labels[2].text), first.pumpPwm);
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
        startWindow(clickWithoutConnection);
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->controls().button(mainId::kClose)->text(), close);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
