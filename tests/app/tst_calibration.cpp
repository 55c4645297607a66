// The calibration drive as a fitter runs it: the checks before a start, the steady readings
// learned per map cell (from the demo, from scripted holds and from the simulated engine) with
// their coverage and the engine's fading trail on the map, the preview at the stop (Enter writes
// the learned cells, the selected ones alone, or Escape nothing), a second drive, and a stop
// while the link is lost (the learned map kept, backed up and written when the link returns).

#include "app/calibration_preview.h"
#include "calibration/calibration_texts.h"
#include "device/map_file/map_file.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "main_window_fixture.h"
#include "modal_answer.h"
#include "platform/text.h"
#include "sim/controller/petrol_drive.h"
#include "tests/support/map_keeping.h"
#include "tests/support/paint_recorder.h"
#include "tests/support/unavailable.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace krv;
using namespace krv::test;

Q_DECLARE_METATYPE(CDiag)
Q_DECLARE_METATYPE(CellStatus)

namespace {

constexpr uint8_t kMapFrame = 9;
constexpr uint8_t kPetrol = 2;
// 2210 rpm at 3.165 V pump PWM: column 6 (2300 rpm), row 3 (3.84 V), as the demo sample.
constexpr uint16_t kDemoPeriod = 3400;
constexpr int16_t kDemoPump = 211;

// A petrol sample at the demo's operating point with the given input (controller units, 5 mV).
CDiag demoPointSample(uint16_t input, uint32_t number) {
    return readingsRecord(kDemoPeriod, kDemoPump, input, 400, kPetrol, number);
}

size_t cellOf(int column, int row) {
    return static_cast<size_t>(row) * kMapColumns + column;
}

// Enough readings 100 ms apart for a held cell to be learned after the steady window.
constexpr int kHoldReadings = 40;
const QColor kLearnedGreen(170, 228, 170);

// The colour of a cell of this colour that the engine stands in (or left age seconds ago).
QColor underTheTrail(const QColor& own, double age) {
    std::vector<QColor> colours{own};
    const TrailPoint point{0, age};
    paintTrail(colours, {&point, 1});
    return colours[0];
}

void pressEnter(CCalibrationPreview& preview) {
    QTest::keyClick(&preview, Qt::Key_Return);
}

void pressEscape(CCalibrationPreview& preview) {
    QTest::keyClick(&preview, Qt::Key_Escape);
}

// Whether the menu offers the entry of that text; false when it has none.
bool entryEnabled(const QMenu& menu, std::u16string_view polish) {
    const QString caption = QString::fromStdU16String(translate(polish));
    for (const QAction* action : menu.actions()) {
        if (action->text() == caption) {
            return action->isEnabled();
        }
    }
    return false;
}

} // namespace

// Message boxes as the fitter meets them: each stays up for a while, its own event loop
// running meanwhile, and is answered with its default button.
class CModalMessages : public IMessageBackend {
public:
    CModalMessages() : previous_(setMessageBackend(this)) {}
    ~CModalMessages() override { setMessageBackend(previous_); }
    CModalMessages(const CModalMessages&) = delete;
    CModalMessages& operator=(const CModalMessages&) = delete;

    int show(MessageOwner, const std::u16string& text, const std::u16string&,
             unsigned style) override {
        const QString shown = QString::fromStdU16String(text);
        seen << "up: " + shown;
        if (QThread::currentThread() == qApp->thread()) {
            QTest::qWait(300);
        }
        seen << "closed: " + shown;
        const bool yesNo = (style & 0x0F) == MB_YESNO;
        return yesNo ? ((style & MB_DEFBUTTON2) != 0 ? IDNO : IDYES) : IDOK;
    }

    QStringList seen;

private:
    IMessageBackend* previous_;
};

class TestCalibration : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;
    uint32_t sampleNumber = 0;
    CCalibrationDrive::Clock::time_point driveTime;

    CKorrinDlg& dialog() { return *fixture.dialog; }

    // The simulated controller on a petrol drive of holds and ramps, as a fitter drives it.
    std::optional<std::string> startDrivenController() {
        auto error = fixture.startController();
        if (!error) {
            fixture.controller->setDrive(std::make_shared<const sim::PetrolDrive>());
        }
        return error;
    }
    CMapEmu1& grid() { return dialog().mapGrid(); }

    // As a fitter clicks: once nothing else runs, and looking again once the click's own work
    // has ended.
    void clickCalibration() {
        fixture.waitForOperations();
        dialog().controls().button(mainId::kCalibration)->click();
        fixture.waitForOperations();
    }
    QString buttonCaption() { return fieldText(dialog(), mainId::kCalibration); }

    // The demo window with its polling ended, so that the test alone decides which samples
    // the refreshes see.
    void startScriptedDemo() {
        fixture.startWindow(clickDemo);
        dialog().device().stopPolling();
        dialog().device().diagData.clearSamples();
    }

    // One readings refresh with this sample as the newest.
    void refreshWith(CDiag sample) {
        sample.sampleNumber = ++sampleNumber;
        dialog().device().diagData.pushSample(sample);
        dialog().updateReadings();
    }

    void startDrive() {
        refreshWith(demoPointSample(400, 0));
        clickCalibration();
        QVERIFY(dialog().calibrating);
        driveTime = CCalibrationDrive::Clock::now();
        dialog().calibrationDrive().start(driveTime);
    }

    // The engine held at the sample's point for a while, every reading seen by two refreshes
    // (the second files nothing); then the map shows what the drive learned, as a refresh that
    // filed a reading shows it.
    void holdAt(CDiag sample, int readings = kHoldReadings) {
        for (int i = 0; i < readings; ++i) {
            sample.sampleNumber = ++sampleNumber;
            driveTime += std::chrono::milliseconds(100);
            QVERIFY(dialog().calibrationDrive().add(sample, driveTime));
            QVERIFY(!dialog().calibrationDrive().add(sample, driveTime));
        }
        dialog().showCalibrationProgress();
    }

    // Stop, with the preview answered as given.
    void stopAnswering(std::function<void(CCalibrationPreview&)> answer) {
        CModalAnswer<CCalibrationPreview> answering(std::move(answer));
        clickCalibration();
        QCOMPARE(answering.answered(), 1);
    }

    CalibrationProposal proposalOver(const MapSnapshot& map) {
        return dialog().calibrationDrive().proposal(map);
    }
    int learnedCells() { return proposalOver(dialog().model().acknowledged()).summary.learned; }
    QString summaryShown() { return fieldText(dialog(), mainId::kCalibrationSummary); }

    // What the window's model holds of a cell, as the controller acknowledged it.
    double modelVolts(int column, int row) {
        return units::mapCellVolts(dialog().model().acknowledged().cells[cellOf(column, row)]);
    }

    // The model loaded anew with one cell changed, as a connection would read it.
    void loadCell(int column, int row, double volts) {
        ControllerData data{kServedDeviceType, dialog().model().identity().firmwareVersion,
                            dialog().model().acknowledged()};
        data.state.cells[cellOf(column, row)] = units::mapCellWire(volts);
        dialog().model().load(data);
    }

    // A drive on the simulated engine until it learned a cell (and crossed others).
    void driveOnTheSimulatedEngine() {
        fixture.startWindow(clickWithoutConnection);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kWorkingState),
                                  QStringLiteral("Wyłączony"), 10000);
        clickCalibration();
        QVERIFY(dialog().calibrating);
        QTRY_VERIFY_WITH_TIMEOUT(learnedCells() >= 2, 40000);
    }

    void verifyIdle() {
        QVERIFY(!dialog().calibrating);
        QCOMPARE(buttonCaption(), QStringLiteral("Kalibracja"));
        QCOMPARE(grid().colouring(), 1);
        QVERIFY(!grid().hasCellMarks());
        QCOMPARE(summaryShown(), QString());
    }

    void verifyOnlyMessage(const char* text, MessageOwner owner) {
        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        QCOMPARE(qtext(shown[0].text), QString::fromUtf8(text));
        QCOMPARE(qtext(shown[0].caption), QStringLiteral("Emulator KRV"));
        QCOMPARE(shown[0].style, MB_OK);
        QCOMPARE(shown[0].owner, owner);
    }

    // A drive on the simulated engine, stopped while the cable is pulled: its result waits.
    void driveAndStopWhileTheLinkIsLost() {
        fixture.startWindow(clickWithoutConnection);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kWorkingState),
                                  QStringLiteral("Wyłączony"), 10000);
        clickCalibration();
        QTRY_VERIFY_WITH_TIMEOUT(learnedCells() >= 1, 40000);
        fixture.simulator->setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog().model().loaded(), 20000);
        stopAnswering(pressEnter);
        QVERIFY(dialog().mapKeeper().calibrationResultWaiting());
    }

    // A drive whose result waits for the lost link, and another car's controller behind it.
    std::array<uint8_t, kMapCells> driveThenSwapTheCar() {
        driveAndStopWhileTheLinkIsLost();
        std::array<uint8_t, kMapCells> otherCar{};
        otherCar.fill(123);
        fixture.controller->setMap(otherCar);
        fixture.controller->clearRequests();
        return otherCar;
    }

    // The link back, and everything the reconnection started has ended.
    void plugBackIn() {
        fixture.simulator->setSilent(false);
        QTRY_VERIFY_WITH_TIMEOUT(dialog().model().loaded(), 20000);
        QVERIFY(fixture.waitForOperations());
    }

private slots:
    void init() {
        fixture.setUp();
        sampleNumber = 0;
    }
    void cleanup() { fixture.tearDown(); }

    void startWithoutConnectionOrSampleIsRefused_data() {
        QTest::addColumn<bool>("connected");
        QTest::newRow("no connection") << false;
        QTest::newRow("connected, no sample yet") << true;
    }

    void startWithoutConnectionOrSampleIsRefused() {
        QFETCH(bool, connected);
        fixture.startWindow(clickWithoutConnection);
        dialog().device().connected = connected; // as right after a search, before the first sample
        clickCalibration();
        verifyOnlyMessage("Brak połączenia", nullptr);
        verifyIdle();
    }

    void startWhileTheEmulatorWorksIsRefused() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        auto knobs = fixture.controller->knobs();
        knobs.onGas = true;
        fixture.controller->setKnobs(knobs);
        fixture.startWindow(clickWithoutConnection);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kWorkingState),
                                  QStringLiteral("Włączony"), 10000);
        const auto mapBefore = dialog().model().acknowledged();

        clickCalibration();

        verifyOnlyMessage("Kalibracja tylko podczas jazdy na benzynie", &dialog());
        verifyIdle();
        QVERIFY(dialog().model().acknowledged() == mapBefore);
    }

    void demoDriveLearnsTheSimulatedSamplesCell() {
        fixture.startWindow(clickDemo);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kRpm), QStringLiteral("2210"), 10000);

        clickCalibration();

        verifyOnlyMessage("Jazda kalibracyjna powinna być w pełnym zakresie obciążeń silnika. "
                          "Minimum 10 minut jazdy.",
                          &dialog());
        QVERIFY(dialog().calibrating);
        QCOMPARE(buttonCaption(), QStringLiteral("Stop"));
        QVERIFY(grid().hasCellMarks());
        QTRY_COMPARE_WITH_TIMEOUT(learnedCells(), 1, 10000);
        const CalibrationProposal proposal = proposalOver(dialog().model().acknowledged());
        QCOMPARE(summaryShown(), QString::fromStdU16String(summaryLineForLabel(proposal.summary)));
        QVERIFY2(
            summaryShown().startsWith(QStringLiteral("Komórki nauczone: 1, za mało odczytów: 0")),
            qPrintable(summaryShown()));
        const CellProposal& learned = proposal.cells[cellOf(6, 3)];
        QCOMPARE(learned.status, CellStatus::Learned);
        QCOMPARE(units::mapCellVolts(learned.proposed), 2.0);
        QCOMPARE(grid().cell(6, 3).getTxt(), QStringLiteral("2.00"));
        // Coverage: the learned cell green (under the trail of the engine standing in it), a cell
        // never reached white.
        QCOMPARE(grid().cell(6, 3).getBkColor(), underTheTrail(kLearnedGreen, 0));
        QCOMPARE(grid().cell(0, 0).getBkColor(), QColor(Qt::white));

        stopAnswering(pressEnter);

        verifyIdle();
        QCOMPARE(fixture.shown().size(), size_t{1}); // the write succeeded without I/O
        QCOMPARE(modelVolts(6, 3), 2.0);
    }

    void heldReadingsAreLearnedUnderTheirCell_data() {
        QTest::addColumn<CDiag>("sample");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<CellStatus>("status");
        QTest::addColumn<QString>("shown");
        QTest::newRow("held at 2.0 V")
            << demoPointSample(400, 0) << 6 << 3 << CellStatus::Learned << "2.00";
        QTest::newRow("input 0: a dropped-out sensor, the old value stays")
            << demoPointSample(0, 0) << 6 << 3 << CellStatus::Unchanged << "1.20";
        // 7500 rpm and 16.5 V lie beyond the last break points (4700 rpm, 15.36 V).
        QTest::newRow("beyond both axes: last column and row")
            << readingsRecord(1000, 1100, 300, 0, kPetrol, 0) << 14 << 15 << CellStatus::Learned
            << "1.50";
        // 2300 rpm and 3.84 V sit exactly on break points: the cell after them.
        QTest::newRow("on break points: the next cell")
            << readingsRecord(3261, 256, 300, 0, kPetrol, 0) << 7 << 4 << CellStatus::Learned
            << "1.50";
    }

    void heldReadingsAreLearnedUnderTheirCell() {
        QFETCH(CDiag, sample);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(CellStatus, status);
        QFETCH(QString, shown);
        startScriptedDemo();
        loadCell(column, row, 1.2);
        startDrive();

        holdAt(sample);

        const CalibrationProposal proposal = proposalOver(dialog().model().acknowledged());
        QCOMPARE(proposal.cells[cellOf(column, row)].status, status);
        QCOMPARE(grid().cell(column, row).getTxt(), shown);
        // Every reading once, though two refreshes saw each.
        QCOMPARE(proposal.summary.readings, kHoldReadings);
        QCOMPARE(proposal.summary.learned, status == CellStatus::Learned ? 1 : 0);
        QCOMPARE(summaryShown(), QString::fromStdU16String(summaryLineForLabel(proposal.summary)));
        // The drive's values are its own until the controller takes them.
        QCOMPARE(modelVolts(column, row), 1.2);
    }

    // The cell the engine left fades from the trail's blue back to its coverage within the
    // trail's seconds; a drive step repaints only the cells that look different.
    void driveShowsAFadingTrailAndRepaintsOnlyWhatChanged() {
        startScriptedDemo();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog()));
        startDrive();
        const CDiag beyond = readingsRecord(1000, 1100, 600, 0, kPetrol, 0); // (14, 15)
        holdAt(demoPointSample(400, 0));                                     // (6, 3), learned
        holdAt(beyond, 10);                                                  // a second later
        QCOMPARE(grid().cell(6, 3).getBkColor(), underTheTrail(kLearnedGreen, 1.0));
        QVERIFY(grid().cell(6, 3).getBkColor() != kLearnedGreen);
        // Kept apart from the engine only by the trail: both cells learned, all else white.
        holdAt(beyond, 50);
        QCOMPARE(grid().cell(6, 3).getBkColor(), kLearnedGreen);
        QCOMPARE(grid().cell(14, 15).getBkColor(), underTheTrail(kLearnedGreen, 0));
        QCOMPARE(grid().cell(13, 15).getBkColor(), QColor(Qt::white));

        CPaintRecorder recorder(grid());
        // Held on: more hits, the same value, the same colours.
        QCOMPARE(recorder.repaintedAfter([&] { holdAt(beyond, 1); }), QRegion());
        // Back to the first cell: it joins the trail, the cell left stays on it.
        const QRegion moved = recorder.repaintedAfter([&] { holdAt(demoPointSample(400, 0), 1); });
        QCOMPARE(moved, QRegion(grid().cellRect(6, 3)) + grid().cellRect(14, 15));
    }

    // A replay or a recorded drive would take the live readings' place: both wait for the end
    // of the drive, and are offered again after it.
    void replayAndRecordedDriveWaitForTheDrivesEnd() {
        startScriptedDemo();
        const auto offered = [this] {
            const std::unique_ptr<QMenu> chartMenu(dialog().chartFiles().menu());
            const std::unique_ptr<QMenu> mapMenu = dialog().mapMenu().buildMenu();
            return std::pair{entryEnabled(*chartMenu, texts::kOpenReplay),
                             entryEnabled(*mapMenu, texts::kCalibrateFromFile)};
        };
        QCOMPARE(offered(), std::pair(true, true));
        startDrive();
        QCOMPARE(offered(), std::pair(false, false));
        holdAt(demoPointSample(400, 0));
        stopAnswering(pressEscape);
        QVERIFY(!dialog().calibrating);
        QCOMPARE(offered(), std::pair(true, true));
    }

    void secondDriveStartsAfreshButKeepsUnvisitedCells() {
        startScriptedDemo();
        startDrive();
        holdAt(demoPointSample(200, 0));                        // 1.0 V at (6, 3)
        holdAt(readingsRecord(1000, 1100, 600, 0, kPetrol, 0)); // 3.0 V at (14, 15)
        stopAnswering(pressEnter);
        QCOMPARE(modelVolts(6, 3), 1.0);
        QCOMPARE(modelVolts(14, 15), 3.0);

        startDrive();
        QCOMPARE(proposalOver(dialog().model().acknowledged()).summary.readings, 0);
        holdAt(demoPointSample(400, 0)); // 2.0 V at (6, 3)

        // Not mixed with the first drive's 1.0.
        QCOMPARE(grid().cell(6, 3).getTxt(), QStringLiteral("2.00"));
        QCOMPARE(modelVolts(14, 15), 3.0);
        QCOMPARE(grid().cell(14, 15).getTxt(), QStringLiteral("3.00"));
    }

    // Cells learned in one drive; the fitter selects one of them in the preview.
    void writeSelectedWritesTheSelectedLearnedCellsOnly() {
        startScriptedDemo();
        loadCell(6, 3, 1.2);
        loadCell(14, 15, 1.2);
        const uint8_t cornerBefore = dialog().model().acknowledged().cells[0];
        startDrive();
        holdAt(demoPointSample(400, 0));                        // 2.0 V at (6, 3)
        holdAt(readingsRecord(1000, 1100, 600, 0, kPetrol, 0)); // 3.0 V at (14, 15)

        stopAnswering([](CCalibrationPreview& preview) {
            QVERIFY(!preview.writeSelectedButton().isEnabled());
            preview.table().item(0, 0)->setSelected(true); // nothing learned there
            QVERIFY(!preview.writeSelectedButton().isEnabled());
            preview.table().item(3, 6)->setSelected(true);
            QVERIFY(preview.writeSelectedButton().isEnabled());
            preview.writeSelectedButton().click();
        });

        QCOMPARE(modelVolts(6, 3), 2.0);
        QCOMPARE(modelVolts(14, 15), 1.2);
        QCOMPARE(dialog().model().acknowledged().cells[0], cornerBefore);
        verifyIdle();
    }

    void enterInThePreviewWritesTheLearnedCellsOnlyAfterABackup() {
        if (auto error = startDrivenController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        driveOnTheSimulatedEngine();
        // Nothing is sent during the drive.
        QVERIFY(fixture.controller->requests(kMapFrame).empty());
        fixture.controller->clearRequests();
        const MapSnapshot before = dialog().model().acknowledged();
        QString previewSummary;

        stopAnswering([&](CCalibrationPreview& preview) {
            QVERIFY(preview.writeButton().isDefault());
            previewSummary = preview.findChild<QLabel*>()->text();
            pressEnter(preview);
        });

        verifyIdle();
        QCOMPARE(fixture.shown().size(), size_t{1}); // the advice at the start only
        QCOMPARE(fixture.controller->requests(kMapFrame).size(), size_t{1});
        // The drive filed nothing after the stop: this is the proposal the preview showed.
        const CalibrationProposal proposal = proposalOver(before);
        QCOMPARE(previewSummary, QString::fromStdU16String(summaryLineForLabel(proposal.summary)));
        const auto written = fixture.controller->state().map;
        int learned = 0;
        int crossed = 0;
        for (size_t i = 0; i < written.size(); ++i) {
            const CellProposal& cell = proposal.cells[i];
            QCOMPARE(written[i], dialog().model().acknowledged().cells[i]);
            if (cell.status == CellStatus::Learned) {
                QCOMPARE(written[i], cell.proposed);
                ++learned;
            } else {
                QCOMPARE(written[i], before.cells[i]);
                crossed += cell.rejectedTotal() > 0 || cell.hits > 0 ? 1 : 0;
            }
        }
        QVERIFY(learned >= 2);
        QVERIFY(crossed >= 1); // the accelerations passed cells that keep their values
        QCOMPARE(onlyBackupCells(fixture.directory + "/Morvelcast/backups", "_calibration.csv"),
                 std::optional(before.cells));
        QVERIFY(dialog().mapKeeper().canUndo());
    }

    void escapeInThePreviewWritesNothing() {
        if (auto error = startDrivenController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        driveOnTheSimulatedEngine();
        fixture.controller->clearRequests();
        const auto mapBefore = fixture.controller->state().map;

        stopAnswering(pressEscape);

        verifyIdle();
        QCOMPARE(fixture.shown().size(), size_t{1});
        QVERIFY(fixture.controller->requests(kMapFrame).empty());
        QCOMPARE(fixture.controller->state().map, mapBefore);
        QVERIFY(!dialog().mapKeeper().calibrationResultWaiting());
        QVERIFY(!dialog().mapKeeper().canUndo());
        QVERIFY(backupFiles(fixture.directory + "/Morvelcast/backups", "_calibration.csv").empty());
    }

    void reconnectDuringTheDriveKeepsWhatTheDriveLearned() {
        if (auto error = startDrivenController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        driveOnTheSimulatedEngine();
        fixture.simulator->setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog().device().connected, 20000);
        fixture.simulator->setSilent(false);
        // The reconnect reads the controller's map, which knows nothing of the drive yet.
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kStatus), QStringLiteral("CONNECTED"),
                                  20000);

        QVERIFY(dialog().calibrating);
        // The captions the reconnect puts back must not hide the drive that still runs.
        QCOMPARE(buttonCaption(), QStringLiteral("Stop"));
        QVERIFY(grid().hasCellMarks());
        const CalibrationProposal proposal = proposalOver(dialog().model().shown());
        QVERIFY(proposal.summary.learned >= 2);
        for (int r = 0; r < kMapRows; ++r) {
            for (int c = 0; c < kMapColumns; ++c) {
                const CellProposal& cell = proposal.cells[cellOf(c, r)];
                if (cell.status == CellStatus::Learned) {
                    // Shown as the controller will hold it.
                    QCOMPARE(grid().cell(c, r).getTxt(),
                             QString::asprintf("%.2f", units::mapCellVolts(cell.proposed)));
                }
            }
        }
    }

    void aWaitingResultIsNotWrittenIntoAnotherCarUnasked() {
        if (auto error = startDrivenController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        const auto otherCar = driveThenSwapTheCar();

        plugBackIn();

        QStringList said;
        for (const auto& message : fixture.shown()) {
            said << qtext(message.text);
        }
        QVERIFY2(said.contains(qtext(texts::kOtherController)), qPrintable(said.join(" | ")));
        QCOMPARE(said.back(), qtext(texts::kWriteLearnedToOther)); // answered No, the default
        QVERIFY(fixture.controller->requests(kMapFrame).empty());
        QCOMPARE(fixture.controller->state().map, otherCar);
        QVERIFY(dialog().mapKeeper().calibrationResultWaiting());
    }

    // A real message box runs its own event loop while it is up, so whatever the window posts
    // meanwhile runs under it: the question about the waiting result must wait until the
    // warning that explains it is closed, not come up over it.
    void theOtherControllerWarningComesBeforeTheQuestion() {
        if (auto error = startDrivenController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        const auto otherCar = driveThenSwapTheCar();
        CModalMessages modal;

        plugBackIn();
        QTRY_VERIFY_WITH_TIMEOUT(modal.seen.size() >= 4, 10000);

        const QString warning = qtext(texts::kOtherController);
        const QString question = qtext(texts::kWriteLearnedToOther);
        QCOMPARE(modal.seen, QStringList({"up: " + warning, "closed: " + warning, "up: " + question,
                                          "closed: " + question}));
        QCOMPARE(fixture.controller->state().map, otherCar); // No, the default
        QVERIFY(dialog().mapKeeper().calibrationResultWaiting());
    }

    // With no backup of the old map, the learned one is never written; it is kept, saved where
    // the fitter says, and a cable glitch does not read it away.
    void aLearnedMapWhoseBackupFailedIsKeptThroughAGlitch() {
        if (auto error = startDrivenController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        const std::string saved = fixture.directory + "/learned.csv";
        fixture.files->otherwise = toU16(saved);
        fixture.startWindow(clickWithoutConnection);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kWorkingState),
                                  QStringLiteral("Wyłączony"), 10000);
        // The backups folder cannot be made any more: a file stands in its way.
        const std::string backups = fixture.directory + "/Morvelcast/backups";
        std::filesystem::remove_all(backups);
        std::ofstream(backups) << "not a folder";
        const auto mapBefore = fixture.controller->state().map;
        clickCalibration();
        QTRY_VERIFY_WITH_TIMEOUT(learnedCells() >= 1, 40000);

        stopAnswering(pressEnter);

        QVERIFY(dialog().mapKeeper().calibrationResultWaiting());
        const MapSnapshot learned = *dialog().mapKeeper().calibrationResult();
        QVERIFY(learned.cells != mapBefore);
        QCOMPARE(fixture.controller->state().map, mapBefore);
        QStringList said;
        for (const auto& message : fixture.shown()) {
            said << qtext(message.text);
        }
        QVERIFY2(said.contains(qtext(texts::kLearnedBackupFailed)), qPrintable(said.join(" | ")));
        const MapFileRead file = readMapFile(saved);
        QVERIFY(file.ok());
        QCOMPARE(file.content->snapshot.cells, learned.cells);

        fixture.simulator->setSilent(true); // a glitch
        QTRY_VERIFY_WITH_TIMEOUT(!dialog().model().loaded(), 20000);
        plugBackIn();

        QVERIFY(dialog().mapKeeper().calibrationResultWaiting());
        QCOMPARE(dialog().mapKeeper().calibrationResult()->cells, learned.cells);
        QCOMPARE(fixture.controller->state().map, mapBefore);
    }

    // The write at the stop fails on the pulled cable: the learned map is kept, backed up at
    // once, and written when the link returns (instead of being read over by the reconnection).
    void stopWhileTheLinkIsLostKeepsTheLearnedMapForTheReturn() {
        if (auto error = startDrivenController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(dialog(), mainId::kWorkingState),
                                  QStringLiteral("Wyłączony"), 10000);
        clickCalibration();
        QTRY_VERIFY_WITH_TIMEOUT(learnedCells() >= 1, 40000);
        fixture.simulator->setSilent(true); // the cable pulled
        QTRY_VERIFY_WITH_TIMEOUT(!dialog().device().connected, 20000);
        stopAnswering(pressEnter);

        verifyIdle();
        QVERIFY(dialog().mapKeeper().calibrationResultWaiting());
        const auto learned = dialog().mapKeeper().calibrationResult()->cells;
        QVERIFY(learned != fixture.controller->state().map);
        const auto shown = fixture.shown();
        QStringList said;
        for (const auto& message : shown) {
            said << qtext(message.text);
        }
        QVERIFY2(shown.size() == 3, qPrintable(said.join(" | ")));
        QCOMPARE(qtext(shown[1].text), QStringLiteral("Brak połączenia"));
        QCOMPARE(shown[1].owner, nullptr);
        QCOMPARE(shown[1].style, MB_OK);
        QCOMPARE(qtext(shown[2].text), qtext(texts::kCalibrationKept));
        QCOMPARE(shown[2].style, MB_ICONWARNING);
        QCOMPARE(shown[2].owner, static_cast<MessageOwner>(&dialog()));
        const auto backups =
            backupFiles(fixture.directory + "/Morvelcast/backups", "_calibration-unsent.csv");
        QCOMPARE(backups.size(), size_t{1});
        const MapFileRead kept = readMapFile(backups[0]);
        QVERIFY(kept.ok());
        QCOMPARE(kept.content->snapshot.cells, learned);

        fixture.simulator->setSilent(false);

        QTRY_COMPARE_WITH_TIMEOUT(fixture.controller->state().map, learned, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(fixture.shown().size(), size_t{4}, 5000);
        QCOMPARE(qtext(fixture.shown()[3].text), qtext(texts::kCalibrationWrittenLater));
        QVERIFY(!dialog().mapKeeper().calibrationResultWaiting());
        QCOMPARE(dialog().model().acknowledged().cells, learned);
    }
};

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
