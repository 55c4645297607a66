// "Kalibruj z pliku..." as a fitter uses it: a recorded petrol drive (a log chosen in the file
// dialog, or the replay that is open) proposed over the controller's map, or without a
// controller over a map file; the preview compares with that map, and Enter writes the learned
// cells to the controller (backed up, one undo step) or to a map file the fitter names.

#include "app/calibration_preview.h"
#include "device/map_file/map_file.h"
#include "device/readings_recorder.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "main_window_fixture.h"
#include "modal_answer.h"
#include "platform/qt/open_file.h"
#include "platform/text.h"
#include "tests/support/map_keeping.h"
#include "tests/support/unavailable.h"

#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <vector>

using namespace krv;
using namespace krv::test;

namespace {

constexpr uint8_t kMapFrame = 9;
constexpr uint8_t kPetrol = 2;
constexpr int kHoldReadings = 40;
// Held at 2210 rpm and 3.17 V pump with the sensor at 2.0 V, then beyond both axes at 3.0 V.
const CDiag kHolds[] = {readingsRecord(3400, 211, 400, 400, kPetrol),
                        readingsRecord(1000, 1100, 600, 0, kPetrol)};
const double kHeldVolts[] = {2.0, 3.0};

// The chart recorder's log of the two holds, a reading every 100 ms.
void recordHolds(const std::string& path) {
    std::ofstream file(path);
    CDiagData store;
    auto at = CReadingsRecorder::Clock::now();
    CReadingsRecorder recorder(file, store, 0x0112, at);
    uint32_t number = 0;
    for (CDiag sample : kHolds) {
        for (int i = 0; i < kHoldReadings; ++i) {
            at += std::chrono::milliseconds(100);
            sample.sampleNumber = ++number;
            store.pushSample(sample);
            recorder.update(true, at);
        }
    }
}

// The simulated controller's axes and settings with every cell at the given value.
MapSnapshot flatMap(double volts) {
    MapSnapshot map = snapshotOfController(sim::CController());
    map.cells.fill(units::mapCellWire(volts));
    return map;
}

// The values of the cells where the result differs from the map it was made over, in order.
std::vector<double> changedValues(const MapCells& result, const MapSnapshot& over) {
    std::vector<double> changed;
    for (size_t i = 0; i < kMapCells; ++i) {
        if (result[i] != over.cells[i]) {
            changed.push_back(units::mapCellVolts(result[i]));
        }
    }
    std::sort(changed.begin(), changed.end());
    return changed;
}

} // namespace

class TestCalibrationFromFile : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture.setUp();
        logPath = fixture.directory + "/drive.csv";
        mapPath = fixture.directory + "/car.csv";
        outPath = fixture.directory + "/learned.csv";
        recordHolds(logPath);
    }
    void cleanup() { fixture.tearDown(); }

    void learnedCellsGoWhereTheMapCameFrom_data() {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("replaying");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("log file over a map file")
            << false << false << QStringList{"log", "map", "save"};
        QTest::newRow("log file over the controller") << true << false << QStringList{"log"};
        QTest::newRow("open replay over a map file") << false << true << QStringList{"map", "save"};
        QTest::newRow("open replay over the controller") << true << true << QStringList{};
    }

    void learnedCellsGoWhereTheMapCameFrom() {
        QFETCH(bool, connected);
        QFETCH(bool, replaying);
        QFETCH(QStringList, files);
        // The controller's map and the file's differ, so the preview shows which it compared.
        const MapSnapshot controllerMap = flatMap(1.5);
        const MapSnapshot fileMap = flatMap(1.0);
        std::ofstream(mapPath) << formatMapFile(fileMap, mapFileInfoOf(kServedDeviceType, 0x0112));
        if (connected) {
            if (auto error = fixture.startController()) {
                KRV_QTEST_UNAVAILABLE(*error);
            }
            fixture.controller->setMap(controllerMap.cells);
        }
        for (const QString& file : files) {
            fixture.files->answers.push_back(toU16(file == "log"   ? logPath
                                                   : file == "map" ? mapPath
                                                                   : outPath));
        }
        fixture.startWindow(clickWithoutConnection);
        QCOMPARE(fixture.dialog->model().loaded(), connected);
        if (replaying) {
            QVERIFY(fixture.dialog->replay().open(toU16(logPath)));
        }
        const MapSnapshot& over = connected ? controllerMap : fileMap;
        std::vector<QString> learnedShown;
        CModalAnswer<CCalibrationPreview> answering([&](CCalibrationPreview& preview) {
            for (int r = 0; r < kMapRows; ++r) {
                for (int c = 0; c < kMapColumns; ++c) {
                    const QString text = preview.table().item(r, c)->text();
                    if (text.contains('\n')) {
                        learnedShown.push_back(text);
                    }
                }
            }
            QTest::keyClick(&preview, Qt::Key_Return);
        });

        fixture.dialog->calibrateFromFile();

        QCOMPARE(answering.answered(), 1);
        QCOMPARE(asked(), files);
        // Each held value against the map compared with: +1.00/+2.00 over the file's 1.0 V,
        // +0.50/+1.50 over the controller's 1.5 V.
        std::sort(learnedShown.begin(), learnedShown.end());
        const double base = units::mapCellVolts(over.cells[0]);
        QCOMPARE(learnedShown,
                 (std::vector<QString>{QString::asprintf("2.00\n%+.2f", kHeldVolts[0] - base),
                                       QString::asprintf("3.00\n%+.2f", kHeldVolts[1] - base)}));
        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), connected ? size_t{0} : size_t{1});
        if (!connected) {
            QCOMPARE(qtext(shown[0].text), qtext(translate(texts::kCalibrationChooseMapFile)));
        }

        MapCells result{};
        if (connected) {
            QVERIFY(fixture.waitForOperations());
            result = fixture.controller->state().map;
            QCOMPARE(fixture.dialog->model().acknowledged().cells, result);
            QCOMPARE(fixture.controller->requests(kMapFrame).size(), size_t{1});
            QCOMPARE(onlyBackupCells(fixture.directory + "/Morvelcast/backups", "_calibration.csv"),
                     std::optional(controllerMap.cells));
            QVERIFY(fixture.dialog->mapKeeper().canUndo());
        } else {
            const MapFileRead saved = readMapFile(outPath);
            QVERIFY2(saved.ok(), qPrintable(qtext(saved.error)));
            result = saved.content->snapshot.cells;
            QCOMPARE(saved.content->snapshot.rows, fileMap.rows);
            QCOMPARE(saved.content->snapshot.columns, fileMap.columns);
        }
        QCOMPARE(changedValues(result, over), (std::vector<double>{kHeldVolts[0], kHeldVolts[1]}));
        // The replay goes on as it was.
        QCOMPARE(fixture.dialog->replay().active(), replaying);
    }

    // Escape in the preview writes nothing anywhere.
    void discardedPreviewWritesNothing() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.files->answers = {toU16(logPath)};
        fixture.startWindow(clickWithoutConnection);
        const auto before = fixture.controller->state().map;
        fixture.controller->clearRequests();
        CModalAnswer<CCalibrationPreview> answering(
            [](CCalibrationPreview& preview) { QTest::keyClick(&preview, Qt::Key_Escape); });

        fixture.dialog->calibrateFromFile();

        QCOMPARE(answering.answered(), 1);
        QVERIFY(fixture.waitForOperations());
        QVERIFY(fixture.controller->requests(kMapFrame).empty());
        QCOMPARE(fixture.controller->state().map, before);
        QVERIFY(!fixture.dialog->mapKeeper().canUndo());
        QVERIFY(backupFiles(fixture.directory + "/Morvelcast/backups", "_calibration.csv").empty());
    }

private:
    // What each file choice was for, in order.
    QStringList asked() const {
        QStringList kinds;
        for (const COpenFile& request : fixture.files->requests) {
            const bool log = request.filter == translate(texts::kCsvFileFilter);
            kinds << (request.saveMode != 0 ? "save" : log ? "log" : "map");
        }
        return kinds;
    }

    CMainWindowFixture fixture;
    std::string logPath;
    std::string mapPath;
    std::string outPath;
};

QTEST_MAIN(TestCalibrationFromFile)
#include "tst_calibration_from_file.moc"
