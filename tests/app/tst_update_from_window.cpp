// The firmware update as a fitter meets it in the main window: the controller found in its
// bootloader at start-up is programmed before the window opens, button 1026 updates it again,
// and a cable pulled mid-update leaves a window that says so and recovers the controller, with
// the file dialog answered by the test and the wait cursor watched.

#include "app/dialog_template.h"
#include "app/update_progress_dlg.h"
#include "lang/program_texts.h"
#include "main_window_fixture.h"
#include "platform/paths.h"
#include "platform/qt/open_file.h"
#include "platform/text.h"
#include "sim/afm/afm_tool.h"
#include "tests/firmware/sample_image_check.h"
#include "tests/support/unavailable.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProgressBar>
#include <QTest>
#include <sstream>

using namespace krv;
using namespace krv::test;

namespace {

bool waitCursorShown() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// Notes with each message whether the wait cursor was up while it showed.
class CCursorWatchingRecorder : public CMessageRecorder {
public:
    int show(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
             unsigned style) override {
        withWaitCursor.push_back(waitCursorShown());
        return CMessageRecorder::show(owner, text, caption, style);
    }
    std::vector<bool> withWaitCursor;
};

} // namespace

class TestUpdateFromWindow : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    std::u16string firmwareFile(const std::string& name, std::vector<std::string> options) {
        const std::string path = fixture.directory + "/" + name;
        options.insert(options.begin(), {path, "--sample"});
        std::ostringstream errors;
        if (sim::runAfmTool(options, errors) != sim::kAfmToolOk) {
            qWarning("krv-afm: %s", errors.str().c_str());
        }
        return toU16(path);
    }

    // Button 1026, until some fifty rows have gone out. The wire then runs at the cable's
    // own 38400 baud, so the rows left take seconds and a fault a test injects next lands
    // among them however loaded the machine is; the test sets full speed again after it.
    bool clickUpdateUntilRowsGoOut(CKorrinDlg& dialog) {
        fixture.simulator->setBaud(38400);
        const uint64_t heard = fixture.simulator->counters().received;
        dialog.controls().button(mainId::kFirmwareUpdate)->click();
        return QTest::qWaitFor([&] { return fixture.simulator->counters().received > heard + 50; },
                               20000);
    }

private slots:
    void init() { fixture.setUp(); }

    void cleanup() { fixture.tearDown(); }

    void bootloaderAtStartThenTheButtonUpdatesAgain() {
        if (auto error = fixture.startController(sim::ControllerMode::Bootloader)) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        const sim::CController& controller = *fixture.controller;
        CCursorWatchingRecorder messages;
        fixture.files->answers = {firmwareFile("first.afm", {})};

        CKorrinDlg dialog(*fixture.threads, &*fixture.files);
        dialog.OnInitDialog();
        dialog.show();
        QVERIFY(QTest::qWaitFor([&] { return !dialog.operationRunning(); }, 60000));

        auto shown = messages.messages();
        QCOMPARE(shown.size(), size_t{1});
        QVERIFY(shown[0].text == texts::kNeedsReprogramming);
        QCOMPARE(shown[0].style, MB_OK | MB_ICONINFORMATION);
        const std::vector<COpenFile>& asked = fixture.files->requests;
        QCOMPARE(asked.size(), size_t{1});
        QVERIFY(asked[0].initialDirectory ==
                toU16(executableDirectory()) + u"Morvelcast Firmware/33EP");
        QCOMPARE(QString::fromStdU16String(toQtNameFilters(asked[0].filter)),
                 QStringLiteral("Pliki firmware (*.afm)"));
        QVERIFY(asked[0].defaultExtension == u"afm");
        QCOMPARE(asked[0].saveMode, 0);
        QVERIFY(programMemoryHoldsSampleImage(controller));
        QCOMPARE(controller.state().mode, sim::ControllerMode::Application);
        QVERIFY(dialog.device().connected);
        QVERIFY(dialog.timerActive(CKorrinDlg::kReadingsTimer));
        QVERIFY(!waitCursorShown());

        QAbstractButton* update = dialog.controls().button(mainId::kFirmwareUpdate);
        fixture.files->answers = {firmwareFile("wrong.afm", {"--target", "0x0100"})};
        update->click();
        QVERIFY(QTest::qWaitFor([&] { return !dialog.operationRunning(); }, 60000));
        shown = messages.messages();
        QCOMPARE(shown.size(), size_t{2});
        QVERIFY(shown[1].text == texts::kWrongFirmwareFile);
        QVERIFY2(messages.withWaitCursor[1], "the wait cursor is up once the file is chosen");
        QVERIFY(!waitCursorShown());
        QVERIFY(dialog.device().pollingRunning);

        // The new firmware comes with other settings: the window must show what it reloaded,
        // and asks whether the backup from before goes back (here the fitter keeps the new).
        fixture.controller->setSettings({7, 3, 1200});
        fixture.files->answers = {firmwareFile("second.afm", {"--version", "0x0102"})};
        messages.scriptAnswer(IDNO);
        update->click();
        QVERIFY(QTest::qWaitFor([&] { return !dialog.operationRunning(); }, 60000));
        QVERIFY(dialog.controls().text(mainId::kRpmDivider) == u"7");
        QVERIFY(dialog.controls().text(mainId::kNoisePeriod) == u"1200");
        QCOMPARE(messages.messages().size(), size_t{3});
        QVERIFY(messages.messages()[2].text == texts::kMapChangedByUpdate);
        QCOMPARE(controller.state().settings, (sim::ControllerSettings{7, 3, 1200}));
        QCOMPARE(controller.state().program.eraseCounts().at(0x1800), 2u);
        QVERIFY(programMemoryHoldsSampleImage(controller));
        QVERIFY(!waitCursorShown());
        // The progress went to the last row and left with the update.
        const CUpdateProgressDlg& progress = dialog.firmwareWindow().progress();
        QCOMPARE(progress.bar()->value(), 100);
        QCOMPARE(progress.bar()->text(), QStringLiteral("100 %"));
        QVERIFY(!progress.isVisible());
        QVERIFY(!progress.programming());
        QVERIFY(dialog.controls().text(mainId::kStatus) == u"POŁĄCZONY");
        QVERIFY(dialog.device().connected);
        QVERIFY(dialog.device().pollingRunning);
        QVERIFY(dialog.timerActive(CKorrinDlg::kReadingsTimer));
        QTRY_VERIFY_WITH_TIMEOUT(dialog.device().diagData.sampleCount() > 0, 10000);
    }

    // The update left another map in the controller: the window says so once and, on Yes,
    // writes the backup from before the update back.
    void anUpdateThatChangedTheMapOffersTheBackupBack() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        CKorrinDlg& dialog = *fixture.dialog;
        QVERIFY(dialog.device().connected);
        const MapSnapshot before = dialog.model().acknowledged();
        std::array<uint8_t, 240> reset{}; // what the new firmware starts with
        reset.fill(100);
        fixture.controller->setMap(reset);
        fixture.files->answers = {firmwareFile("good.afm", {})};
        fixture.messages->scriptAnswer(IDYES);
        dialog.controls().button(mainId::kFirmwareUpdate)->click();
        QVERIFY(fixture.waitForOperations());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.model().busy(), 10000);

        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        QVERIFY(shown[0].text == texts::kMapChangedByUpdate);
        QCOMPARE(shown[0].style, MB_YESNO | MB_ICONWARNING);
        QCOMPARE(fixture.controller->state().map, before.cells);
        QCOMPARE(dialog.model().acknowledged(), before);
        QVERIFY(programMemoryHoldsSampleImage(*fixture.controller));
    }

    // The cable is pulled (and put back) while the rows go out: the error is shown, the window
    // no longer says connected, and the reconnect finds the controller waiting in its
    // bootloader and offers it the forced update, without a restart.
    void cablePulledMidUpdateThenTheBootloaderIsOfferedTheForcedUpdate() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        CKorrinDlg& dialog = *fixture.dialog;
        QVERIFY(dialog.device().connected);
        fixture.files->answers = {firmwareFile("good.afm", {}), firmwareFile("again.afm", {})};
        QVERIFY(clickUpdateUntilRowsGoOut(dialog));
        fixture.simulator->vanishOnNextRequest(true);
        fixture.simulator->setBaud(0);

        QTRY_VERIFY_WITH_TIMEOUT(!fixture.shown().empty(), 10000);
        const std::u16string prefix = u"CKorrinDlg::OnClickedBtnDeviceUpdate()\n";
        QVERIFY2(fixture.shown()[0].text.substr(0, prefix.size()) == prefix,
                 qPrintable(QString::fromStdU16String(fixture.shown()[0].text)));
        QVERIFY(!dialog.device().connected);
        QTRY_VERIFY_WITH_TIMEOUT(
            fieldText(dialog, mainId::kStatus) != qtext(texts::kStatusConnected), 5000);
        QCOMPARE(fixture.controller->state().mode, sim::ControllerMode::Bootloader);

        QTRY_VERIFY_WITH_TIMEOUT(fixture.shown().size() >= 2, 20000);
        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{2});
        QVERIFY(shown[1].text == texts::kNeedsReprogramming);
        QCOMPARE(shown[1].style, MB_OK | MB_ICONINFORMATION);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.device().connected && !dialog.operationRunning(), 60000);
        QCOMPARE(fixture.files->requests.size(), size_t{2});
        QCOMPARE(fixture.controller->state().mode, sim::ControllerMode::Application);
        QVERIFY(programMemoryHoldsSampleImage(*fixture.controller));
        // As every reconnect says it.
        QTRY_COMPARE(fieldText(dialog, mainId::kStatus), qtext(texts::kStatusConnectedEn));
        QTRY_VERIFY_WITH_TIMEOUT(dialog.device().diagData.sampleCount() > 0, 10000);
        QCOMPARE(fixture.shown().size(), size_t{2});
    }

    // The controller stays silent once its rows went out: the update's reconnect finds nothing
    // and ends without the no-connection question (asked there, the question sat over a window
    // that had nobody to answer it while the update waited for the answer); the window's own
    // reconnect finds the controller once it answers again.
    void silentAfterProgrammingLeavesTheReconnectToTheWindow() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        CKorrinDlg& dialog = *fixture.dialog;
        QVERIFY(dialog.device().connected);
        fixture.files->answers = {firmwareFile("good.afm", {})};
        QVERIFY(clickUpdateUntilRowsGoOut(dialog));
        fixture.simulator->setBaud(0);
        // The update pauses a second after the last row before it looks for the controller.
        QVERIFY(QTest::qWaitFor(
            [&] { return fixture.controller->state().mode == sim::ControllerMode::Application; },
            20000));
        fixture.simulator->setSilent(true);

        QTRY_VERIFY_WITH_TIMEOUT(!fixture.shown().empty(), 15000);
        QVERIFY(fixture.shown()[0].text == texts::kProgrammingFailed);
        QCOMPARE(fixture.laterChoices->answered(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            fieldText(dialog, mainId::kStatus) != qtext(texts::kStatusConnected), 5000);
        QVERIFY(programMemoryHoldsSampleImage(*fixture.controller));

        fixture.simulator->setSilent(false);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.device().connected && !dialog.operationRunning(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.device().diagData.sampleCount() > 0, 10000);
        QCOMPARE(fixture.laterChoices->answered(), 0);
        QCOMPARE(fixture.shown().size(), size_t{1});
    }

    // The controller falls silent and the fitter clicks the update at once: the file dialog
    // comes without sitting out the read time-out of the sample waiting for the controller.
    void updateStartsWithoutWaitingOutASilentSample() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        CKorrinDlg& dialog = *fixture.dialog;
        QTRY_VERIFY_WITH_TIMEOUT(dialog.device().diagData.sampleCount() > 0, 10000);
        fixture.simulator->setSilent(true);
        const uint64_t heard = fixture.simulator->counters().received;
        QVERIFY(
            QTest::qWaitFor([&] { return fixture.simulator->counters().received > heard; }, 5000));

        QElapsedTimer asked;
        asked.start();
        dialog.controls().button(mainId::kFirmwareUpdate)->click(); // the dialog is cancelled
        QTRY_VERIFY_WITH_TIMEOUT(fixture.files->requests.size() == 1, 5000);
        QVERIFY2(asked.elapsed() < 500, qPrintable(QString::number(asked.elapsed())));
        QVERIFY(fixture.waitForOperations());
        QVERIFY(dialog.device().pollingRunning);
    }

    // The fitter closes the window while the rows go out and the cable is pulled: asked first,
    // the window stays on No, and on Yes it closes and goes well inside a read time-out.
    void closingWhileProgrammingAsksFirst() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        CKorrinDlg& dialog = *fixture.dialog;
        QVERIFY(dialog.device().connected);
        fixture.files->answers = {firmwareFile("good.afm", {})};
        QVERIFY(clickUpdateUntilRowsGoOut(dialog));
        fixture.simulator->setSilent(true);
        fixture.simulator->setBaud(0);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.firmwareWindow().progress().programming(), 5000);
        QVERIFY(dialog.firmwareWindow().progress().isVisible());
        QTRY_VERIFY(dialog.firmwareWindow().progress().bar()->value() > 0);

        dialog.controls().button(mainId::kClose)->click();
        auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        QVERIFY(shown[0].text == texts::kCloseWhileProgramming);
        QCOMPARE(shown[0].style, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        QVERIFY2(dialog.isVisible(), "No, the default, keeps the window");

        fixture.messages->scriptAnswer(IDYES);
        dialog.controls().button(mainId::kClose)->click();
        QVERIFY(!dialog.isVisible());
        QElapsedTimer closing;
        closing.start();
        fixture.dialog.reset();
        QVERIFY2(closing.elapsed() < 500, qPrintable(QString::number(closing.elapsed())));
    }
};

QTEST_MAIN(TestUpdateFromWindow)
#include "tst_update_from_window.moc"
