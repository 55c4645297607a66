// A recorded drive replayed in the window: krv --replay opens a log the recorder wrote without
// any port search, stepping with the arrows shows each row in the fields and its cell on the map,
// the chart is labelled with the time from the log's start, the markers are listed, a log that
// does not read changes nothing, a controller that comes back (or is plugged in) meanwhile does
// not give the live controls back, other axes move its cells, and the open log is written as
// MSL text.

#include "app/map_views.h"
#include "app/replay_chart_marks.h"
#include "device/readings_recorder.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "main_window_fixture.h"
#include "platform/text.h"
#include "readings_log/readings_log.h"
#include "tests/support/file_contents.h"
#include "tests/support/unavailable.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <fstream>

using namespace krv;
using namespace krv::test;

namespace {

constexpr int kRows = 40;
constexpr int kMarkerAfterRow = 15;
constexpr int kLinkLostAfterRow = 25;

// A drive through several cells, its speed, pump and voltages changing on every row.
CDiag driveSample(int row) {
    CDiag sample;
    sample.setWord(CDiag::kRpmPeriod, static_cast<uint16_t>(9000 - 180 * row));
    sample.setWord(CDiag::kPumpPwm, static_cast<uint16_t>(100 + 21 * row));
    sample.setWord(CDiag::kInputVoltage, static_cast<uint16_t>(200 + 13 * row));
    sample.setWord(CDiag::kOutputVoltage, static_cast<uint16_t>(250 + 11 * row));
    sample.raw[CDiag::kWorkState] = row % 3 == 0 ? CDiag::kWorking : 0;
    return sample;
}

// The log the chart's recorder writes of that drive: a sample every 100 ms, a marker, and a
// link lost for half a second.
void recordDrive(const std::string& path) {
    std::ofstream file(path);
    CDiagData store;
    const auto start = CReadingsRecorder::Clock::now();
    CReadingsRecorder recorder(file, store, 0x0112, start);
    auto at = start;
    uint32_t polled = 0; // the polling thread's numbering
    for (int row = 0; row < kRows; ++row) {
        at += std::chrono::milliseconds(100);
        CDiag sample = driveSample(row);
        sample.sampleNumber = ++polled;
        store.pushSample(sample);
        recorder.update(true, at);
        if (row == kMarkerAfterRow) {
            recorder.addMarker(at + std::chrono::milliseconds(50));
        }
        if (row == kLinkLostAfterRow) {
            recorder.update(false, at + std::chrono::milliseconds(50));
            // As the polling thread gives up: the store emptied, its successor counts from 1.
            store.clearSamples();
            polled = 0;
            at += std::chrono::milliseconds(500);
        }
    }
}

QList<QColor> cellColours(CMapEmu1& grid) {
    QList<QColor> colours;
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            colours << grid.cell(c, r).getBkColor();
        }
    }
    return colours;
}

} // namespace

class TestReplay : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture.setUp();
        logPath = fixture.directory + "/drive.csv";
        recordDrive(logPath);
    }
    void cleanup() { fixture.tearDown(); }

    void replayOptionShowsSteppedRowInFieldsAndOnMap() {
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        QVERIFY(window.replay().active());
        QVERIFY(!window.operationRunning());
        QCOMPARE(
            fieldText(window, mainId::kStatus),
            QString::fromStdU16String(fillIn(translate(texts::kStatusReplay), {u"drive.csv"})));
        const ReadingsLogRead read = readReadingsLog(logPath);
        QVERIFY(read.ok());
        QCOMPARE(read.log->readings.size(), size_t{kRows});

        // Shift+Right steps ten, Right one, Left back one: row 12.
        QTest::keyClick(&window, Qt::Key_Right, Qt::ShiftModifier);
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(&window, Qt::Key_Right);
        }
        QTest::keyClick(&window, Qt::Key_Left);
        const int row = 12;
        QCOMPARE(window.replay().track().cursor(), size_t{row});
        const LogReading& reading = read.log->readings[row];
        const CDiag sample = driveSample(row);
        QCOMPARE(reading.rpm, engineSpeedRpm(sample));
        QCOMPARE(fieldText(window, mainId::kRpm), QString::number(engineSpeedRpm(sample)));
        QCOMPARE(fieldText(window, mainId::kInput), QString::asprintf("%.2f", reading.input));
        QCOMPARE(fieldText(window, mainId::kOutput), QString::asprintf("%.2f", reading.output));
        QCOMPARE(fieldText(window, mainId::kPumpPwm), QString::asprintf("%.2f", reading.pump));
        QCOMPARE(fieldText(window, mainId::kWorkingState),
                 QString::fromStdU16String(
                     translate(isWorking(sample) ? texts::kWorkingOn : texts::kWorkingOff)));
        QVERIFY(std::abs(reading.pump - pumpPwmVolts(sample)) < 0.01);

        const CellPosition cell = window.mapGrid().cellIndexOf(reading.rpm, reading.pump);
        QCOMPARE(window.mapGrid().currentColumn(), cell.column);
        QCOMPARE(window.mapGrid().currentRow(), cell.row);
        QVERIFY(window.mapGrid().cell(cell.column, cell.row).isCurrent());
        // The drive went through more than one cell, so the stepping was not trivially right.
        const LogReading& first = read.log->readings.front();
        const CellPosition firstCell = window.mapGrid().cellIndexOf(first.rpm, first.pump);
        QVERIFY(firstCell.column != cell.column || firstCell.row != cell.row);
        // The 3D view marks the cursor's cell as well.
        window.mapViews().toggleSurface();
        const CMapSurfaceView* surface = window.mapViews().surface();
        QVERIFY(surface != nullptr);
        const double held = units::mapCellVolts(
            window.model().shown().cells[static_cast<size_t>(cell.row) * kMapColumns +
                                         cell.column]);
        const ProjectedPoint expected = surface->projection().project(cell.column, cell.row, held);
        QVERIFY((surface->markerPoint() - QPointF(expected.x, expected.y)).manhattanLength() < 1);

        // Stepping is clamped at the log's ends.
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(&window, Qt::Key_Right, Qt::ShiftModifier);
        }
        QCOMPARE(window.replay().track().cursor(), size_t{kRows - 1});
    }

    // A controller with other axes (or an edited header) under an open replay: the readings
    // stand in the cells of the axes shown, as if the log had been opened under them.
    void otherAxesMoveTheReplaysCellsAndShading() {
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        CMapEmu1& grid = window.mapGrid();
        const LogReading first = window.replay().track().atCursor();
        const CellPosition before = grid.cellIndexOf(first.rpm, first.pump);

        ControllerData data{kServedDeviceType, 0x0112, window.model().acknowledged()};
        for (int16_t& row : data.state.rows) {
            row = static_cast<int16_t>(row / 2); // every reading two or more rows further down
        }
        window.model().load(data);
        const CellPosition after = grid.cellIndexOf(first.rpm, first.pump);
        QVERIFY(after.row != before.row);
        QVERIFY(grid.cell(after.column, after.row).isCurrent());
        const QList<QColor> followed = cellColours(grid);

        QVERIFY(window.replay().open(toU16(logPath)));
        QCOMPARE(cellColours(grid), followed);
    }

    // Round times from the log's start under the chart, as many as fit without touching, and
    // the cursor's own time; the time cursor and the labels stand on the chart's own columns.
    void chartIsLabelledWithTimeFromTheLogsStart() {
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        auto* marks = window.chart().findChild<CReplayChartMarks*>();
        QVERIFY(marks != nullptr && marks->isVisible());
        const CReplayTrack& track = window.replay().track();
        const double span = track.lastSeconds() - track.firstSeconds();
        QVERIFY(span > 4 && span < 5); // 40 readings and a lost half second

        const std::vector<TimeTick> ticks = marks->timeTicks();
        QVERIFY2(ticks.size() >= 3, qPrintable(QString::number(ticks.size())));
        QCOMPARE(ticks.front().seconds, 0.0);
        const QFontMetrics metrics = marks->fontMetrics();
        const auto column = [&](double seconds) {
            return window.chart()
                .toPixel(static_cast<float>(seconds / span * window.chart().model().viewSpan()), 0)
                .x;
        };
        for (size_t i = 0; i < ticks.size(); ++i) {
            // m:ss, or m:ss.t for steps under a second: the time it stands at.
            const QString text = QString::fromStdU16String(ticks[i].text);
            const QStringList parts = text.split(':');
            QCOMPARE(parts.size(), 2);
            QCOMPARE(parts[1].indexOf('.') < 0 ? parts[1].size() : parts[1].indexOf('.'), 2);
            QCOMPARE(parts[0].toInt() * 60 + parts[1].toDouble(), ticks[i].seconds);
            if (i > 0) {
                QVERIFY(ticks[i].seconds <= span);
                QCOMPARE(ticks[i].seconds - ticks[i - 1].seconds, ticks[1].seconds);
                // Each label clear of the one before.
                const int room = column(ticks[i].seconds) - column(ticks[i - 1].seconds);
                QVERIFY(room > metrics.horizontalAdvance(text));
            }
        }
        // The first reading is the chart's first sample: the labels count from it.
        const auto& input = window.chart().model().series().at(0).samples;
        QCOMPARE(window.chart().toPixel(input.begin()->first, 0).x, column(0));
        QCOMPARE(window.chart().toPixel(input.rbegin()->first, 0).x, column(span));

        window.replay().close();
        QVERIFY(!marks->isVisible());
        QVERIFY(marks->timeTicks().empty());
    }

    // The controller comes back, or is found by the port watch, while the log is replayed:
    // the search's and the reconnect's end enable controls again, but not those the replay
    // holds off, and the status line stays the replay's until it is closed.
    void controllerFoundDuringTheReplayLeavesItsControlsHeld_data() {
        QTest::addColumn<bool>("connectedFirst");
        QTest::newRow("link lost and back") << true;
        QTest::newRow("plugged in meanwhile") << false;
    }

    void controllerFoundDuringTheReplayLeavesItsControlsHeld() {
        QFETCH(bool, connectedFirst);
        if (connectedFirst) {
            if (auto error = fixture.startController()) {
                KRV_QTEST_UNAVAILABLE(*error);
            }
        }
        fixture.startWindow(clickWithoutConnection);
        CKorrinDlg& window = *fixture.dialog;
        QCOMPARE(window.model().loaded(), connectedFirst);
        QVERIFY(window.replay().open(toU16(logPath)));
        QTest::keyClick(&window, Qt::Key_Right);
        const QString replayStatus = fieldText(window, mainId::kStatus);
        const QString rpmShown = fieldText(window, mainId::kRpm);
        QCOMPARE(controlsOutOfPlace(window, true), QStringList());

        if (connectedFirst) {
            fixture.simulator->setSilent(true); // the cable pulled, and plugged back
            QTRY_VERIFY_WITH_TIMEOUT(!window.model().loaded(), 20000);
            fixture.simulator->setSilent(false);
        } else if (auto error = fixture.startController()) { // the port appears in the table
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QTRY_VERIFY_WITH_TIMEOUT(window.model().loaded() && !window.operationRunning(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(window.device().diagData.sampleCount() > 0, 10000);
        QTest::qWait(3 * CKorrinDlg::kReadingsTimerMs); // refreshes with live readings

        QCOMPARE(controlsOutOfPlace(window, true), QStringList());
        QCOMPARE(fieldText(window, mainId::kStatus), replayStatus);
        QCOMPARE(fieldText(window, mainId::kRpm), rpmShown);
        QCOMPARE(window.replay().track().cursor(), size_t{1});

        window.replay().close();
        QCOMPARE(controlsOutOfPlace(window, false), QStringList());
        QCOMPARE(fieldText(window, mainId::kStatus),
                 QString::fromStdU16String(translate(connectedFirst ? texts::kStatusConnectedEn
                                                                    : texts::kStatusConnected)));
    }

    void markersAreListedAndJumpedTo() {
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        const ReadingsLog& log = window.replay().track().log();
        QCOMPARE(log.markers.size(), size_t{1});
        QCOMPARE(log.gaps.size(), size_t{1});
        QComboBox* list = nullptr;
        for (QComboBox* box : window.findChildren<QComboBox*>()) {
            if (box->count() == 2) {
                list = box; // the heading and the one marker
            }
        }
        QVERIFY(list != nullptr);
        QVERIFY(list->itemText(1).contains(QStringLiteral("1")));
        list->setCurrentIndex(1);
        emit list->activated(1);
        QCOMPARE(window.replay().track().cursor(), size_t{kMarkerAfterRow});
    }

    // A marker set during the replay (M, or the button) stands at the cursor's reading with the
    // next number, in time order in the list, and is kept beside the log, which stays as it was
    // recorded: the log opened again has it.
    void markersAddedDuringTheReplayAreKeptBesideTheLog() {
        const std::string recorded = fileContents(logPath);
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        const double markerSeconds = window.replay().track().log().markers.at(0).seconds;
        window.replay().moveTo(30);
        const double at30 = window.replay().track().atCursor().seconds;
        QTest::keyClick(&window, Qt::Key_M);
        window.replay().moveTo(5);
        const double at5 = window.replay().track().atCursor().seconds;
        QPushButton* add = nullptr;
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->text() == qtext(texts::kReplayAddMarker) && button->isVisible()) {
                add = button;
            }
        }
        QVERIFY(add != nullptr);
        add->click();

        const auto expectList = [&](CKorrinDlg& shown) {
            const std::vector<LogMarker>& markers = shown.replay().track().log().markers;
            QCOMPARE(markers.size(), size_t{3});
            QCOMPARE(markers[0].number, 3);
            QCOMPARE(markers[0].seconds, at5);
            QCOMPARE(markers[1].number, 1);
            QCOMPARE(markers[1].seconds, markerSeconds);
            QCOMPARE(markers[2].number, 2);
            QCOMPARE(markers[2].seconds, at30);
            QComboBox* list = markerList(shown);
            QVERIFY(list != nullptr);
            QStringList expected;
            for (const LogMarker& marker : markers) {
                expected << QString::fromStdU16String(
                    fillIn(translate(texts::kCliMarkerWritten),
                           {formatText("%d", marker.number), formatText("%.1f", marker.seconds)}));
            }
            QCOMPARE(listed(*list), expected);
            // The drop-down list is as wide as its longest entry.
            QVERIFY(list->view()->minimumWidth() >=
                    QFontMetrics(list->view()->font()).horizontalAdvance(expected.back()));
        };
        expectList(window);
        QVERIFY(fixture.shown().empty());
        QCOMPARE(fileContents(logPath), recorded);
        QVERIFY(std::filesystem::exists(logPath + ".markers"));

        // Jumping to a marker still finds its reading.
        markerList(window)->setCurrentIndex(3);
        emit markerList(window)->activated(3);
        QCOMPARE(window.replay().track().cursor(), size_t{30});

        window.replay().close();
        QVERIFY(window.replay().open(toU16(logPath)));
        expectList(window);
    }

    // A click on the time slider jumps to the time under it rather than a page further.
    void clickOnTheSliderJumpsToItsTime() {
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        QSlider* slider = window.findChild<QSlider*>();
        QVERIFY(slider != nullptr && slider->isVisible());
        const size_t last = window.replay().track().size() - 1;
        QTest::mouseClick(slider, Qt::LeftButton, {},
                          QPoint(slider->width() * 3 / 4, slider->height() / 2));
        const double expected = 0.75 * static_cast<double>(last);
        QVERIFY2(std::abs(static_cast<double>(window.replay().track().cursor()) - expected) <= 2,
                 qPrintable(QString::number(window.replay().track().cursor())));
        QCOMPARE(slider->value(), static_cast<int>(window.replay().track().cursor()));
    }

    void closingGivesBackTheWindowWithoutSearching() {
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        QTest::keyClick(&window, Qt::Key_Right);
        window.replay().close();
        QVERIFY(!window.replay().active());
        QVERIFY(!window.operationRunning());
        QCOMPARE(fieldText(window, mainId::kStatus),
                 QString::fromStdU16String(translate(texts::kStatusNoCommunication)));
        QVERIFY(fieldText(window, mainId::kRpm).isEmpty());
        QCOMPARE(window.mapGrid().colouring(), 1);
        QVERIFY(window.chart().model().series().at(0).samples.empty());
        // The arrows belong to the map again.
        QTest::keyClick(&window, Qt::Key_Right);
        QVERIFY(!window.replay().active());
    }

    // krv --replay with a log that does not open: the box names the file and why, and the
    // window starts as it would without --replay (it searches and finds the controller)
    // rather than stay a dead replay.
    void aReplayThatDoesNotOpenStartsTheWindowAsWithout() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        const std::string missing = fixture.directory + "/no-such-drive.csv";
        openWindowReplaying(missing);
        CKorrinDlg& window = *fixture.dialog;
        QVERIFY(!window.replay().active());
        QCOMPARE(fixture.shown().size(), size_t{1});
        const std::u16string said = fixture.shown().front().text;
        QVERIFY2(said.starts_with(toU16(missing + ": ")), toUtf8(said).c_str());
        QVERIFY(fixture.waitForOperations());
        QVERIFY(window.model().loaded());
        QCOMPARE(controlsOutOfPlace(window, false), QStringList());
    }

    // Through the chart's menu: a file that is no log is reported and the replay stays as it
    // was; the open log saved as MSL reads as MSL.
    void menuOpensReportsAndSavesMsl() {
        openWindowReplaying(logPath);
        CKorrinDlg& window = *fixture.dialog;
        QTest::keyClick(&window, Qt::Key_Right, Qt::ShiftModifier);
        const std::string notALog = fixture.directory + "/notes.csv";
        std::ofstream(notALog) << "shopping list\n";
        fixture.files->answers = {toU16(notALog)};
        window.replay().askOpen();
        QCOMPARE(fixture.shown().size(), size_t{1});
        QVERIFY(window.replay().active());
        QCOMPARE(window.replay().track().cursor(), size_t{10});

        const std::string msl = fixture.directory + "/drive.msl";
        fixture.files->answers = {toU16(msl)};
        std::unique_ptr<QMenu> menu(window.chartFiles().menu());
        QAction* save = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == QString::fromStdU16String(translate(texts::kSaveAsMsl))) {
                save = action;
            }
        }
        QVERIFY(save != nullptr && save->isEnabled());
        save->trigger();
        QCOMPARE(fixture.files->requests.size(), size_t{2});
        QCOMPARE(fixture.files->requests[1].saveMode, 1);
        const std::string text = fileContents(msl);
        QVERIFY(text.starts_with('"'));
        QVERIFY(text.find("Time\tRPM\tInput\tOutput\tPump PWM\tWorking\n") != std::string::npos);
        QVERIFY(text.find("\nMARK 001\n") != std::string::npos);
        size_t lines = 0;
        for (const char c : text) {
            lines += c == '\n' ? 1 : 0;
        }
        QCOMPARE(lines, size_t{4 + kRows + 1});
    }

private:
    // The controls not as they should be: while replaying (held) the chart's Start and Stop and
    // everything that acts on the controller is off, whatever the connection does; closed, they
    // are as a loaded controller leaves them (no operation runs: enabled).
    QStringList controlsOutOfPlace(const CKorrinDlg& window, bool held) {
        QStringList wrong;
        for (const int id : {mainId::kChartStart, mainId::kChartStop, mainId::kCalibration,
                             mainId::kClearMap, mainId::kFirmwareUpdate, mainId::kRpmDividerSpin,
                             mainId::kNoiseDeltaSpin, mainId::kNoisePeriodSpin}) {
            if (window.controls().control(id)->isEnabled() == held) {
                wrong << QString::number(id);
            }
        }
        return wrong;
    }

    QComboBox* markerList(const CKorrinDlg& window) {
        for (QComboBox* box : window.findChildren<QComboBox*>()) {
            if (box->itemText(0) == qtext(texts::kReplayMarkers)) {
                return box;
            }
        }
        return nullptr;
    }

    QStringList listed(const QComboBox& list) {
        QStringList items;
        for (int i = 1; i < list.count(); ++i) {
            items << list.itemText(i);
        }
        return items;
    }

    void openWindowReplaying(const std::string& path) {
        fixture.dialog = std::make_unique<CKorrinDlg>(*fixture.threads, &*fixture.files);
        fixture.dialog->replay().setStartFile(toU16(path));
        fixture.dialog->OnInitDialog();
        fixture.dialog->show();
    }

    CMainWindowFixture fixture;
    std::string logPath;
};

QTEST_MAIN(TestReplay)
#include "tst_replay.moc"
