// The chart's context menu on a real window: its samples as a readings CSV with the values the
// fields showed, its picture as a PNG, and a recording that is flushed as it goes, marks a lost
// link and the user's markers, and ends complete.

#include "app/chart_files.h"
#include "lang/program_texts.h"
#include "main_window_fixture.h"
#include "platform/qt/open_file.h"
#include "readings_log/readings_log.h"
#include "tests/support/file_contents.h"
#include "tests/support/unavailable.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <fstream>
#include <sstream>

using namespace krv;
using namespace krv::test;

namespace {

// The data rows of a readings CSV, each split at its commas.
std::vector<QStringList> csvRows(const std::string& path) {
    std::vector<QStringList> rows;
    std::istringstream lines(fileContents(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != '#' && !line.starts_with("seconds,")) {
            rows.push_back(QString::fromStdString(line).split(','));
        }
    }
    return rows;
}

QStringList actionTexts(QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions()) {
        texts << action->text();
    }
    return texts;
}

// Triggers the menu entry as a click on it would.
void choose(CChartFiles& files, std::u16string_view entry) {
    std::unique_ptr<QMenu> menu(files.menu());
    for (QAction* action : menu->actions()) {
        if (action->text() == qtext(entry)) {
            action->trigger();
            return;
        }
    }
    QFAIL("no such menu entry");
}

} // namespace

class TestChartFiles : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    CKorrinDlg& dialog() { return *fixture.dialog; }
    std::string path(const char* name) const { return fixture.directory + "/" + name; }
    // Every file dialog from now on answers with this path.
    void answerDialogs(const std::string& answer) {
        fixture.files->otherwise = QString::fromStdString(answer).toStdU16String();
    }
    const std::vector<COpenFile>& dialogs() const { return fixture.files->requests; }

private slots:
    void init() { fixture.setUp(); }
    void cleanup() { fixture.tearDown(); }

    void rightClickShowsTheMenu() {
        fixture.startWindow(clickWithoutConnection);
        emit dialog().chart().customContextMenuRequested(QPoint(20, 20));
        QMenu* menu = dialog().chart().findChild<QMenu*>();
        QVERIFY(menu != nullptr);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(actionTexts(*menu),
                 (QStringList{"Zapisz dane jako CSV...", "Zapisz obraz...", "Nagrywaj do pliku...",
                              "", "Otwórz zapis...", "Zapisz jako MSL...", "",
                              "Zakres pionowy: cały (0–15 V)",
                              "Zakres pionowy: dopasowany do wykresu"}));
        menu->close();
    }

    void chartCsvHoldsTheChartsSamplesInOrderWithTheFieldsValues() {
        fixture.startWindow(clickWithoutConnection);
        dialog().device().connected = true; // as after a search, without a polling thread
        dialog().controls().button(mainId::kChartStart)->click();
        std::vector<QStringList> fieldsPerSample;
        const CDiag samples[] = {
            readingsRecord(3400, 211, 400, 407, 3, 1), readingsRecord(1530, 3, 1, 999, 2, 2),
            readingsRecord(0, -7, 1000, 0, 3, 3),      readingsRecord(9999, 1000, 777, 333, 0, 4),
            readingsRecord(3400, 211, 400, 407, 3, 5),
        };
        for (const CDiag& sample : samples) {
            dialog().device().diagData.pushSample(sample);
            dialog().updateReadings();
            fieldsPerSample.push_back(
                {fieldText(dialog(), mainId::kRpm), fieldText(dialog(), mainId::kInput),
                 fieldText(dialog(), mainId::kOutput), fieldText(dialog(), mainId::kPumpPwm)});
        }
        const auto& series = dialog().chart().model().series();
        QCOMPARE(series.at(0).samples.size(), size_t{4}); // the chart lags one sample

        answerDialogs(path("chart.csv"));
        choose(dialog().chartFiles(), texts::kChartSaveCsv);
        QCOMPARE(dialogs().size(), size_t{1});
        QCOMPARE(dialogs()[0].saveMode, 1);
        QCOMPARE(dialogs()[0].filter, std::u16string(u"Pliki CSV (*.csv)|*.csv|"));
        const auto rows = csvRows(path("chart.csv"));
        QCOMPARE(rows.size(), size_t{4});
        auto input = series.at(0).samples.begin();
        for (size_t i = 0; i < rows.size(); ++i, ++input) {
            const QStringList& row = rows[i];
            QCOMPARE(row.size(), 7);
            QCOMPARE(row[1], QString::number(i + 1));
            const QStringList& fields = fieldsPerSample[i];
            QCOMPARE(row[2], fields[0]);
            // The file carries each voltage to its wire step; the field rounds it to 0.01 V.
            for (int column = 3; column <= 5; ++column) {
                QVERIFY(std::abs(row[column].toDouble() - fields[column - 2].toDouble()) <= 0.0051);
            }
            QCOMPARE(row[6], QString(isWorking(samples[i]) ? "1" : "0"));
            QVERIFY(std::abs(row[3].toDouble() * 100.0 / 15.0 - input->second) < 1e-4);
            if (i > 0) {
                QVERIFY(row[0].toDouble() >= rows[i - 1][0].toDouble());
            }
        }
    }

    // The chart keeps its newest points only; the file holds what the chart holds.
    void chartCsvKeepsOnlyAsManyPointsAsTheChart() {
        QWidget chart;
        CLPGDevice device;
        CChartFiles files(chart, device, *fixture.files, 3);
        for (uint32_t n = 1; n <= 5; ++n) {
            files.add(readingsRecord(3400, 0, static_cast<uint16_t>(n * 100), 0, 0, n));
        }
        answerDialogs(path("capped.csv"));
        files.saveCsv();
        const auto rows = csvRows(path("capped.csv"));
        QCOMPARE(rows.size(), size_t{3});
        QCOMPARE(rows[0][3], QStringLiteral("1.500"));
        QCOMPARE(rows[2][3], QStringLiteral("2.500"));
    }

    void pictureIsThePngOfTheChart() {
        fixture.startWindow(clickWithoutConnection);
        answerDialogs(path("chart.png"));
        choose(dialog().chartFiles(), texts::kChartSaveImage);
        QImage image;
        QVERIFY(image.load(QString::fromStdString(path("chart.png")), "PNG"));
        QCOMPARE(image.size(), dialog().chart().size() * dialog().chart().devicePixelRatio());
        QCOMPARE(image.pixelColor(image.width() / 3, image.height() / 3), QColor(240, 240, 240));
    }

    void aFileThatCannotBeWrittenSaysSo() {
        fixture.startWindow(clickWithoutConnection);
        std::ofstream(path("plain")) << "a file where a folder would be";
        const std::string nowhere = path("plain/chart.csv");
        answerDialogs(nowhere);
        for (std::u16string_view entry : {texts::kChartSaveCsv, texts::kChartRecord}) {
            choose(dialog().chartFiles(), entry);
        }
        QCOMPARE(fixture.shown().size(), size_t{2});
        QCOMPARE(QString::fromStdU16String(fixture.shown()[0].text),
                 "Nie można zapisać pliku " + QString::fromStdString(nowhere));
        QVERIFY(!dialog().chartFiles().recording());
    }

    void recordingAppendsEverySampleFlushedAndMarksALostLink() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        fixture.startWindow(clickWithoutConnection);
        QVERIFY(dialog().device().connected);
        const std::string file = path("drive.csv");
        answerDialogs(file);
        // Samples held before the recording starts are not part of it.
        QTRY_VERIFY_WITH_TIMEOUT(dialog().device().diagData.sampleCount() >= 30, 10000);
        choose(dialog().chartFiles(), texts::kChartRecord);
        QVERIFY(dialog().chartFiles().recording());
        std::unique_ptr<QMenu> menu(dialog().chartFiles().menu());
        QVERIFY(actionTexts(*menu).contains(QStringLiteral("Zatrzymaj nagrywanie")));

        // Rows reach the file while the recording runs: a crash keeps what was recorded.
        QTRY_VERIFY_WITH_TIMEOUT(csvRows(file).size() >= 20, 10000);
        // A marker is in the file at once, after the rows that came before it.
        dialog().chartFiles().addMarker();
        const std::string marked = fileContents(file);
        const size_t lastLine = marked.rfind('\n', marked.size() - 2) + 1;
        QCOMPARE(marked.substr(lastLine, 14), std::string("# marker 1 at "));
        fixture.simulator->setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(file).find("# link lost at ") != std::string::npos,
                                 15000);
        const size_t rowsAtLoss = csvRows(file).size();
        QTest::qWait(300);
        QCOMPARE(csvRows(file).size(), rowsAtLoss);
        choose(dialog().chartFiles(), texts::kChartStopRecording);
        QVERIFY(!dialog().chartFiles().recording());

        const auto rows = csvRows(file);
        for (size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i][1], QString::number(i + 1)); // every sample, none skipped
        }
        const std::string text = fileContents(file);
        QCOMPARE(text.back(), '\n');
        const ReadingsLogRead read = readReadingsLog(file);
        QVERIFY2(read.ok(), read.error.c_str());
        QCOMPARE(read.log->markers.size(), size_t{1});
        QCOMPARE(read.log->gaps.size(), size_t{1});
        // Polling: one sample every 50 ms plus the exchange, each timer tick takes all new ones
        // (at most 100 ms late), and nothing from before the start.
        const double lastSeconds = rows.back()[0].toDouble();
        QVERIFY(rows.size() >= lastSeconds / 0.08);
        QVERIFY(rows.size() <= lastSeconds / 0.05 + 3);
    }
};

QTEST_MAIN(TestChartFiles)
#include "tst_chart_files.moc"
