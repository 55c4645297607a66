// "Kasuj" against the simulated controller: the map cleared on the controller, in the model and
// on screen only when both commands were acknowledged; refusal, port error and no connection.

#include "lang/program_texts.h"
#include "link/message.h"
#include "main_window_fixture.h"
#include "tests/support/map_keeping.h"
#include "tests/support/unavailable.h"

#include <QGuiApplication>
#include <QTest>
#include <array>

using namespace krv;
using namespace krv::test;

namespace {

// A map with a different value in every cell (controller units of 0.02 V).
std::array<uint8_t, 240> patternMap() {
    std::array<uint8_t, 240> map{};
    for (size_t i = 0; i < map.size(); ++i) {
        map[i] = static_cast<uint8_t>(1 + i % 250);
    }
    return map;
}

QStringList cellTexts(CKorrinDlg& dialog) {
    QStringList texts;
    for (int r = 0; r < kMapRows; ++r) {
        for (int c = 0; c < kMapColumns; ++c) {
            texts << dialog.mapGrid().cell(c, r).getTxt();
        }
    }
    return texts;
}

} // namespace

class TestMapClear : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    CKorrinDlg& dialog() { return *fixture.dialog; }

    void clickClear() {
        dialog().controls().button(mainId::kClearMap)->click();
        statusWhileClearing = fieldText(dialog(), mainId::kStatus);
        clearEnabledWhileClearing = dialog().controls().button(mainId::kClearMap)->isEnabled();
        fixture.waitForOperations();
    }
    QString statusWhileClearing;
    bool clearEnabledWhileClearing = true;

    // The window on the simulated controller holding patternMap, with polling ended so that
    // only the command talks to the controller; the reason when no pseudo-terminal can be had.
    std::optional<std::string> startOnPatternMap() {
        if (auto error = fixture.startController()) {
            return "no pseudo-terminal: " + *error;
        }
        fixture.controller->setMap(patternMap());
        fixture.startWindow(clickWithoutConnection);
        dialog().device().stopPolling();
        return std::nullopt;
    }

private slots:
    void init() { fixture.setUp(); }
    void cleanup() { fixture.tearDown(); }

    void acknowledgedClearZeroesControllerModelAndScreen() {
        if (auto error = startOnPatternMap()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(dialog().device().connected);
        QCOMPARE(dialog().mapGrid().cell(0, 0).getTxt(), QStringLiteral("0.02")); // 1 unit
        QCOMPARE(dialog().mapGrid().cell(5, 0).getTxt(), QStringLiteral("0.12")); // 6 units
        const uint64_t storesBefore = fixture.controller->state().counters.mapStores;

        clickClear();

        QVERIFY(fixture.shown().empty());
        const auto state = fixture.controller->state();
        QCOMPARE(state.map, (std::array<uint8_t, 240>{}));
        QCOMPARE(state.counters.mapStores, storesBefore + 1);
        QCOMPARE(dialog().model().acknowledged().cells, MapCells{});
        QCOMPARE(cellTexts(dialog()), QStringList(kMapCells, QStringLiteral("0.00")));
        QCOMPARE(dialog().mapGrid().cell(5, 0).getBkColor(), QColor(Qt::white));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        // Said while it ran, with the button held back, and the status from before is back after.
        QCOMPARE(statusWhileClearing, QStringLiteral("KASOWANIE MAPY..."));
        QVERIFY(!clearEnabledWhileClearing);
        QCOMPARE(fieldText(dialog(), mainId::kStatus), QStringLiteral("POŁĄCZONY"));
        QVERIFY(dialog().controls().button(mainId::kClearMap)->isEnabled());
    }

    void refusedClearSaysSoAndChangesNothing() {
        if (auto error = startOnPatternMap()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(dialog().device().connected);
        const auto modelBefore = dialog().model().acknowledged();
        const QStringList screenBefore = cellTexts(dialog());
        auto knobs = fixture.controller->knobs();
        knobs.forcedReply = sim::Frame{2, {0, 0, 0, 0, 0, 0}}; // refuses every command
        fixture.controller->setKnobs(knobs);

        clickClear();

        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        // It refuses its reads as well: what it holds is to be read when it answers again.
        QCOMPARE(qtext(shown[0].text), qtext(texts::kWriteLinkLost));
        QCOMPARE(qtext(shown[0].caption), QStringLiteral("Emulator KRV"));
        QCOMPARE(shown[0].style, MB_ICONERROR);
        QCOMPARE(shown[0].owner, static_cast<MessageOwner>(&dialog()));
        QVERIFY(dialog().model().acknowledged() == modelBefore);
        QCOMPARE(cellTexts(dialog()), screenBefore);
        QCOMPARE(fixture.controller->state().map, patternMap());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void portErrorIsReportedAndTheMapStays() {
        if (auto error = startOnPatternMap()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(dialog().device().connected);
        const auto modelBefore = dialog().model().acknowledged();
        const QStringList screenBefore = cellTexts(dialog());
        dialog().device().port.close(); // every write now fails in the operating system

        clickClear();

        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        const QStringList lines = qtext(shown[0].text).split('\n');
        QCOMPARE(lines.first(), QStringLiteral("CKorrinDlg::OnBnClickedBtnClrMapTime()"));
        QVERIFY2(lines.size() > 1 && !lines[1].isEmpty(), qPrintable(qtext(shown[0].text)));
        QCOMPARE(qtext(shown[0].caption), QStringLiteral("Emulator KRV"));
        QCOMPARE(shown[0].style, MB_OK);
        QVERIFY(dialog().model().acknowledged() == modelBefore);
        QCOMPARE(cellTexts(dialog()), screenBefore);
        QCOMPARE(fixture.controller->state().map, patternMap());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void withoutConnectionNothingHappensAndItSaysSo() {
        fixture.startWindow(clickWithoutConnection);
        const QStringList screenBefore = cellTexts(dialog());

        clickClear();

        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        QCOMPARE(qtext(shown[0].text), QStringLiteral("Brak połączenia"));
        QCOMPARE(cellTexts(dialog()), screenBefore);
        QVERIFY(backupFiles(fixture.directory + "/Morvelcast/backups", "_clear.csv").empty());
    }
};

QTEST_MAIN(TestMapClear)
#include "tst_map_clear.moc"
