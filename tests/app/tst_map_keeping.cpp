// A car's map is never lost: "Kasuj" undone with Ctrl+Z from any control, backups before a
// clear (and none written means no clear), Ctrl+Up then a settings click keeping every other
// cell, map files saved, loaded and compared from the grid's context menu - all against the
// simulated controller on a pseudo-terminal.

#include "app/spin_button.h"
#include "device/map_file/map_backups.h"
#include "device/map_file/map_file.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "main_window_fixture.h"
#include "platform/text.h"
#include "tests/support/map_keeping.h"
#include "tests/support/unavailable.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace krv;
using namespace krv::test;

namespace {

constexpr uint8_t kSettingsFrame = 3;
constexpr uint8_t kMapFrame = 9;
constexpr uint8_t kAxesFrame = 11;

// A map with 0.02 V steps everywhere (1.80 .. 1.92 V), which one decimal on screen cannot show.
std::array<uint8_t, 240> fineMap() {
    std::array<uint8_t, 240> map{};
    for (size_t i = 0; i < map.size(); ++i) {
        map[i] = static_cast<uint8_t>(90 + i % 7);
    }
    return map;
}

MapSnapshot fileSnapshot() {
    MapSnapshot snapshot;
    for (size_t i = 0; i < kMapCells; ++i) {
        snapshot.cells[i] = static_cast<uint8_t>(200 - i % 50);
    }
    for (size_t r = 0; r < kMapRows; ++r) {
        snapshot.rows[r] = static_cast<int16_t>(5 + 5 * static_cast<int>(r));
    }
    for (size_t c = 0; c < kMapColumns; ++c) {
        snapshot.columns[c] = static_cast<uint8_t>(8 + 4 * c);
    }
    snapshot.rpmDivider = 3;
    snapshot.noiseDelta = 17;
    snapshot.noisePeriod = 1200;
    return snapshot;
}

} // namespace

class TestMapKeeping : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    CKorrinDlg& dialog() { return *fixture.dialog; }
    CMapEmu1& grid() { return dialog().mapGrid(); }
    std::string backupFolder() const { return fixture.directory + "/Morvelcast/backups"; }
    std::string path(const char* name) const { return fixture.directory + "/" + name; }

    MapSnapshot controllerSnapshot() const { return snapshotOfController(*fixture.controller); }

    size_t writesSeen() const {
        return fixture.controller->requests(kSettingsFrame).size() +
               fixture.controller->requests(kMapFrame).size() +
               fixture.controller->requests(kAxesFrame).size();
    }

    std::vector<std::string> backups(const std::string& suffix) const {
        return backupFiles(backupFolder(), suffix);
    }

    // The window on a controller holding a fine map, other axes and settings, with polling
    // ended so that only the commands talk to the controller.
    // After fixture.startController(): true once the window is connected to it.
    bool startOnFineMap() {
        const MapSnapshot file = fileSnapshot();
        fixture.controller->setMap(fineMap());
        fixture.controller->setAxes(file.rows, file.columns);
        fixture.controller->setSettings({5, 6, 700});
        fixture.startWindow(clickWithoutConnection);
        dialog().device().stopPolling();
        fixture.controller->clearRequests();
        return dialog().device().connected;
    }

    // Right click on the grid, then the entry with this caption in the menu that opens.
    void chooseFromContextMenu(std::u16string_view caption) {
        bool chosen = false;
        QTimer::singleShot(50, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (QAction* action : menu->actions()) {
                if (action->text() == qtext(caption)) {
                    QVERIFY(action->isEnabled());
                    menu->close();
                    chosen = true;
                    action->trigger();
                    return;
                }
            }
            menu->close();
        });
        // What a right click on the grid delivers to it.
        const QPoint point = grid().cellRect(3, 3).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, grid().mapToGlobal(point));
        QApplication::sendEvent(&grid(), &event);
        QVERIFY2(chosen, qPrintable(qtext(caption)));
        QVERIFY(fixture.waitForOperations());
    }

    void pressIn(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        widget->setFocus();
        QTest::keyClick(widget, key, modifiers);
        QVERIFY(fixture.waitForOperations());
    }

    // Types into a column header through the grid's editor, as the user does.
    QString editHeader(int column, const QString& typed) {
        QTest::mouseDClick(&grid(), Qt::LeftButton, {}, grid().cellRect(column, -1).center());
        auto* editor = grid().findChild<QLineEdit*>();
        if (!grid().isEditing() || editor == nullptr) {
            return "<no editor>";
        }
        editor->clear();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        return grid().columnHeader(column).getTxt();
    }

    QLineEdit* rpmDividerEdit() { return dialog().controls().edit(mainId::kRpmDivider); }

    // What the window shows and saves is what the controller holds, nothing else.
    void verifyShowsTheController(const char* after) {
        const MapSnapshot held = controllerSnapshot();
        QVERIFY2(dialog().model().acknowledged() == held, after);
        QVERIFY2(dialog().model().shown() == held, after);
        QCOMPARE(rpmDividerEdit()->text(), QString::number(held.rpmDivider));
        QCOMPARE(dialog().controls().edit(mainId::kNoiseDelta)->text(),
                 QString::number(held.noiseDelta));
        QCOMPARE(dialog().controls().edit(mainId::kNoisePeriod)->text(),
                 QString::number(held.noisePeriod));
        for (int r = 0; r < kMapRows; ++r) {
            for (int c = 0; c < kMapColumns; ++c) {
                const double volts = units::mapCellVolts(held.cells[r * kMapColumns + c]);
                QCOMPARE(grid().cell(c, r).getTxt(), QString::asprintf("%.2f", volts));
                QVERIFY2(!grid().cell(c, r).isPending(), after);
            }
        }
        for (int c = 0; c < kMapColumns; ++c) {
            QCOMPARE(grid().columnHeader(c).getTxt(),
                     QString::number(units::columnBreakRpm(held.columns[c])));
        }
        fixture.files->answers = {toU16(path("saved.csv"))};
        chooseFromContextMenu(texts::kSaveMapToFile);
        const MapFileRead saved = readMapFile(path("saved.csv"));
        QVERIFY(saved.ok());
        QVERIFY2(saved.content->snapshot == held, after);
    }

    // The cable pulled, another car's controller put on it, the cable back: the reconnection
    // finds it.
    void swapTheControllerWhileTheLinkIsDown(const MapSnapshot& otherCar) {
        fixture.simulator->setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog().model().loaded(), 20000);
        fixture.controller->setMap(otherCar.cells);
        fixture.controller->setAxes(otherCar.rows, otherCar.columns);
        fixture.controller->clearRequests();
        fixture.simulator->setSilent(false);
        QTRY_VERIFY_WITH_TIMEOUT(dialog().model().loaded(), 20000);
        QVERIFY(fixture.waitForOperations());
    }

private slots:
    void init() { fixture.setUp(); }

    void cleanup() { fixture.tearDown(); }

    void anotherControllerOnTheSameCableIsNotUndoneInto() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        dialog().device().startPolling(); // the lost link is noticed by the polling
        dialog().controls().button(mainId::kClearMap)->click();
        QVERIFY(fixture.waitForOperations());
        QVERIFY(dialog().mapKeeper().canUndo());
        const MapSnapshot carA = dialog().model().acknowledged();
        MapSnapshot carB = fileSnapshot();

        swapTheControllerWhileTheLinkIsDown(carB);

        QCOMPARE(qtext(fixture.shown().back().text), qtext(texts::kOtherController));
        const auto setAside = backups("_previous-controller.csv");
        QCOMPARE(setAside.size(), size_t{1});
        QVERIFY(readMapFile(setAside[0]).content->snapshot == carA);
        QVERIFY(!dialog().mapKeeper().canUndo());
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(writesSeen(), size_t{0});
        QCOMPARE(fixture.controller->state().map, carB.cells);

        // Car A back as it was left: its undo comes back with it, and goes to it.
        swapTheControllerWhileTheLinkIsDown(carA);
        QVERIFY(dialog().mapKeeper().canUndo());
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(fixture.waitForOperations());
        QVERIFY(fixture.controller->state().map != carA.cells);
        verifyShowsTheController("car A's undo after it came back");
    }

    // The plug moved from car A to car B in less silence than the polling needs to call the
    // link lost: a spin pressed during the silence and one just after, and Ctrl+Z of A's edit,
    // write nothing into B; B's own state is backed up, and the fitter told.
    void aCableMovedWithinTheSilenceWritesNothingOfCarAIntoCarB() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        dialog().device().startPolling();
        dialog().controls().spin(mainId::kRpmDividerSpin)->upButton()->click();
        QVERIFY(fixture.waitForOperations());
        QVERIFY(dialog().mapKeeper().canUndo());
        MapSnapshot carB = fileSnapshot();
        carB.cells[3] = 17;

        fixture.simulator->setSilent(true);
        dialog().controls().spin(mainId::kRpmDividerSpin)->upButton()->click();
        QTest::qWait(1500);
        fixture.controller->setMap(carB.cells);
        fixture.controller->setAxes(carB.rows, carB.columns);
        fixture.controller->setSettings({carB.rpmDivider, carB.noiseDelta, carB.noisePeriod});
        fixture.controller->clearRequests();
        fixture.simulator->setSilent(false);
        dialog().controls().spin(mainId::kRpmDividerSpin)->upButton()->click();
        QVERIFY(fixture.waitForOperations());
        QTRY_VERIFY_WITH_TIMEOUT(dialog().model().acknowledged() == carB, 10000);

        QCOMPARE(writesSeen(), size_t{0});
        QVERIFY(dialog().model().loaded());
        QStringList said;
        for (const auto& message : fixture.shown()) {
            said << qtext(message.text);
        }
        QVERIFY2(said.contains(qtext(texts::kOtherController)), qPrintable(said.join(" | ")));
        const auto connected = backups("_connected.csv");
        QVERIFY(!connected.empty());
        QVERIFY(readMapFile(connected.back()).content->snapshot == carB);

        QVERIFY(!dialog().mapKeeper().canUndo());
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(fixture.waitForOperations());
        QCOMPARE(writesSeen(), size_t{0});
        QVERIFY(controllerSnapshot() == carB);
        verifyShowsTheController("after the move to car B");
    }

    // A map file whose load the controller refuses at one part: the parts taken before are put
    // back, and the controller, the grid, the fields and a saved file stay as they were.
    void aLoadRefusedAtOnePartLeavesEverythingAsItWas() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        const MapSnapshot before = controllerSnapshot();
        MapSnapshot file = fileSnapshot();
        file.columns[5] += 1;
        std::ofstream(path("file.csv")) << formatMapFile(file, {17, 256, "then"});
        const struct {
            const char* name;
            sim::WriteRequestKind refused;
            std::u16string_view part;
        } cases[] = {
            {"axes", {kAxesFrame, 0}, texts::kWritePartAxes},
            {"settings", {kSettingsFrame, 0}, texts::kWritePartSettings},
            {"map", {kMapFrame, 0}, texts::kWritePartMap},
            {"store", {protocol::kCommandFrame, protocol::kStoreMap}, texts::kWritePartStore},
        };
        for (const auto& c : cases) {
            sim::ControllerKnobs knobs;
            knobs.refuseWritesOf = c.refused;
            fixture.controller->setKnobs(knobs);
            const size_t shownBefore = fixture.shown().size();
            fixture.files->answers = {toU16(path("file.csv"))};
            chooseFromContextMenu(texts::kLoadMapFromFile);
            QTRY_VERIFY_WITH_TIMEOUT(!dialog().model().busy(), 10000);

            QVERIFY2(controllerSnapshot() == before, c.name);
            QVERIFY2(fixture.controller->state().storedMap == before.cells, c.name);
            const auto shown = fixture.shown();
            QVERIFY2(shown.size() == shownBefore + 1, c.name);
            QCOMPARE(qtext(shown.back().text), qtext(fillIn(texts::kWriteNotTakenRestored, {c.part})));
            fixture.controller->setKnobs({});
            verifyShowsTheController(c.name);
        }
    }

    // A refusal is said on the window's thread: while its message is open the polling goes on
    // and the readings fields follow it.
    void readingsGoOnWhileARefusalIsSaid() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        dialog().device().startPolling();
        QTRY_VERIFY_WITH_TIMEOUT(dialog().device().diagData.sampleCount() > 2, 5000);
        auto knobs = fixture.controller->knobs();
        knobs.refuseWrites = true;
        fixture.controller->setKnobs(knobs);

        // A box held open for 1.5 s, as a fitter reads it.
        struct OpenBox : IMessageBackend {
            CKorrinDlg& window;
            uint32_t samplesWhileOpen = 0;
            bool fieldsFollowed = false;
            explicit OpenBox(CKorrinDlg& window) : window(window) {}
            int show(MessageOwner, const std::u16string&, const std::u16string&,
                     unsigned) override {
                CDiag first;
                window.device().diagData.lastSample(first);
                QTest::qWait(1500);
                CDiag last;
                window.device().diagData.lastSample(last);
                samplesWhileOpen = last.sampleNumber - first.sampleNumber;
                // The fields show the newest reading at the refreshes that run meanwhile.
                for (int look = 0; look < 100 && !fieldsFollowed; ++look) {
                    QTest::qWait(10);
                    window.device().diagData.lastSample(last);
                    fieldsFollowed = window.inputText == formatText("%.2f", inputVolts(last));
                }
                return IDOK;
            }
        } box(dialog());
        IMessageBackend* previous = setMessageBackend(&box);
        dialog().controls().spin(mainId::kRpmDividerSpin)->upButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(box.samplesWhileOpen > 0, 10000);
        setMessageBackend(previous);
        // The polling runs every 50 ms: a worker waiting on the box would have read none.
        QVERIFY2(box.samplesWhileOpen >= 10, qPrintable(QString::number(box.samplesWhileOpen)));
        QVERIFY(box.fieldsFollowed);
    }

    void refusedEditsLeaveWhatTheControllerHolds() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        // One change the controller takes, for the undo below.
        dialog().controls().spin(mainId::kRpmDividerSpin)->upButton()->click();
        QVERIFY(fixture.waitForOperations());
        QCOMPARE(fixture.controller->state().settings.rpmDivider, uint8_t{6});
        auto knobs = fixture.controller->knobs();
        knobs.refuseWrites = true;
        fixture.controller->setKnobs(knobs);

        dialog().controls().spin(mainId::kRpmDividerSpin)->upButton()->click();
        QVERIFY(fixture.waitForOperations());
        verifyShowsTheController("a refused spin click");

        editHeader(4, "2000");
        QVERIFY(fixture.waitForOperations());
        verifyShowsTheController("a refused header edit");

        grid().clearSelection(false);
        grid().cell(2, 2).setSelected(1);
        pressIn(&grid(), Qt::Key_Up, Qt::ControlModifier);
        verifyShowsTheController("a refused Ctrl+Up");

        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        verifyShowsTheController("a refused undo");
        // The history stays where the controller is: the undo is still to be done.
        QVERIFY(dialog().mapKeeper().canUndo());
        QVERIFY(!dialog().mapKeeper().canRedo());
        QStringList said;
        for (const auto& message : fixture.shown()) {
            said << qtext(message.text);
        }
        // Each says what was not taken and that the controller kept its old state.
        QVERIFY2(said.size() == 4, qPrintable(said.join(" | ")));
        QCOMPARE(said.back(),
                 qtext(fillIn(texts::kWriteNotTakenRestored, {texts::kWritePartSettings})));
    }

    void theMapAsFirstReadIsBackedUpOncePerConnection() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        const auto found = backups("_connected.csv");
        QCOMPARE(found.size(), size_t{1});
        const MapFileRead read = readMapFile(found[0]);
        QVERIFY(read.ok());
        QCOMPARE(read.content->snapshot, controllerSnapshot());
        // The same map read again: no second file.
        dialog().mapKeeper().onConnected(CControllerModel::Arrival::Same,
                                         dialog().model().acknowledged(), false);
        QCOMPARE(backups("_connected.csv").size(), size_t{1});
    }

    void clearThenCtrlZFromAnyControlRestoresEverything() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        const MapSnapshot before = controllerSnapshot();

        dialog().controls().button(mainId::kClearMap)->click();
        QVERIFY(fixture.waitForOperations());

        QCOMPARE(fixture.controller->state().map, (std::array<uint8_t, 240>{}));
        const auto found = backups("_clear.csv");
        QCOMPARE(found.size(), size_t{1});
        QCOMPARE(readMapFile(found[0]).content->snapshot, before);

        // Ctrl+Z while a settings field has the focus still reaches the map.
        pressIn(rpmDividerEdit(), Qt::Key_Z, Qt::ControlModifier);

        QCOMPARE(controllerSnapshot(), before);
        QCOMPARE(dialog().model().acknowledged(), before);
        QCOMPARE(grid().cell(0, 0).getTxt(), QStringLiteral("1.80"));
        // Only the map differed, so only the map went out: no settings or axes frame.
        QCOMPARE(fixture.controller->requests(kSettingsFrame).size(), size_t{0});
        QCOMPARE(fixture.controller->requests(kAxesFrame).size(), size_t{0});

        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // redo
        QCOMPARE(fixture.controller->state().map, (std::array<uint8_t, 240>{}));
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(controllerSnapshot(), before);
        pressIn(&grid(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(fixture.controller->state().map, (std::array<uint8_t, 240>{}));
        QVERIFY(fixture.shown().empty());
    }

    void undoWalksBackThroughSpinsAndHeaderEdits() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        const MapSnapshot start = controllerSnapshot();
        emit dialog().controls().spin(mainId::kRpmDividerSpin)->stepped(-1); // up: 5 -> 6
        QVERIFY(fixture.waitForOperations());
        QCOMPARE(editHeader(3, "2100"), QStringLiteral("2100")); // 2000 -> 2100 rpm
        QVERIFY(fixture.waitForOperations());
        emit dialog().controls().spin(mainId::kNoisePeriodSpin)->stepped(+1); // down: 700 -> 699
        QVERIFY(fixture.waitForOperations());
        QCOMPARE(fixture.controller->state().settings, (sim::ControllerSettings{6, 6, 699}));
        QCOMPARE(fixture.controller->state().columnAxis[3], uint8_t{21});

        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.controller->state().settings, (sim::ControllerSettings{6, 6, 700}));
        QCOMPARE(fieldText(dialog(), mainId::kNoisePeriod), QStringLiteral("700"));
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.controller->state().columnAxis[3], uint8_t{20});
        QCOMPARE(grid().columnHeader(3).getTxt(), QStringLiteral("2000"));
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(controllerSnapshot(), start);
        QCOMPARE(fieldText(dialog(), mainId::kRpmDivider), QStringLiteral("5"));
        QVERIFY(!dialog().mapKeeper().canUndo());
        const size_t requestsBefore = fixture.controller->requests().size();
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier); // nothing left: nothing sent
        QCOMPARE(fixture.controller->requests().size(), requestsBefore);
        // Redo walks forward again.
        pressIn(&grid(), Qt::Key_Y, Qt::ControlModifier);
        pressIn(&grid(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(fixture.controller->state().columnAxis[3], uint8_t{21});
        QCOMPARE(fixture.controller->state().settings, (sim::ControllerSettings{6, 6, 700}));
        QVERIFY(fixture.shown().empty());
    }

    // Ctrl+Z pressed while the spin's write is still out undoes that spin once it is done,
    // rather than being lost or undoing the step before it.
    void undoPressedWhileAnEditIsInFlightUndoesThatEdit() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        QCOMPARE(editHeader(3, "2100"), QStringLiteral("2100"));
        QVERIFY(fixture.waitForOperations());
        const MapSnapshot afterHeader = controllerSnapshot();

        emit dialog().controls().spin(mainId::kRpmDividerSpin)->stepped(-1); // up: 5 -> 6
        QVERIFY(dialog().model().busy());
        grid().setFocus();
        QTest::keyClick(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog().model().busy(), 10000);
        QVERIFY(fixture.waitForOperations());

        QCOMPARE(controllerSnapshot(), afterHeader);
        QCOMPARE(fieldText(dialog(), mainId::kRpmDivider), QStringLiteral("5"));
        QVERIFY(dialog().mapKeeper().canUndo()); // the header edit is still to be undone
        QVERIFY(fixture.shown().empty());
    }

    void ctrlUpThenASpinClickKeepsEveryOtherCell() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        grid().clearSelection(false);
        grid().cell(4, 7).setSelected(1);
        pressIn(rpmDividerEdit(), Qt::Key_Up, Qt::ControlModifier);
        emit dialog().controls().spin(mainId::kNoiseDeltaSpin)->stepped(-1); // writes the whole map
        QVERIFY(fixture.waitForOperations());

        QVERIFY(!fixture.controller->requests(kMapFrame).empty());
        auto expected = fineMap();
        expected[7 * 15 + 4] += 5;
        QCOMPARE(fixture.controller->state().map, expected);

        // And both changes undo in turn.
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.controller->state().map, fineMap());
        QCOMPARE(fixture.controller->state().settings.noiseDelta, uint8_t{6});
    }

    void clearStopsWhenNoBackupCanBeWritten() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        std::filesystem::remove_all(backupFolder());
        std::ofstream(backupFolder()) << "a file where the backups folder belongs";

        dialog().controls().button(mainId::kClearMap)->click();
        QVERIFY(fixture.waitForOperations());

        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{1});
        QVERIFY(qtext(shown[0].text).startsWith(qtext(texts::kBackupFailed)));
        QCOMPARE(shown[0].style, MB_ICONERROR);
        QCOMPARE(fixture.controller->state().map, fineMap());
        QCOMPARE(writesSeen(), size_t{0});
        QVERIFY(!dialog().mapKeeper().canUndo());
    }

    void saveWritesTheMapTheWindowHolds() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        fixture.files->answers = {toU16(path("car.csv"))};
        chooseFromContextMenu(texts::kSaveMapToFile);
        const MapFileRead read = readMapFile(path("car.csv"));
        QVERIFY2(read.ok(), qPrintable(qtext(read.error)));
        QCOMPARE(read.content->snapshot, controllerSnapshot());
        QCOMPARE(read.content->info.deviceType, uint8_t{17});
        QVERIFY(fixture.shown().empty());
        // The next dialog opens where the file went.
        fixture.files->answers = {u""};
        pressIn(rpmDividerEdit(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fixture.files->requests.back().initialDirectory, toU16(fixture.directory));
    }

    void loadSendsTheFileAndCompareMarksTheDifferences() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        const MapSnapshot before = controllerSnapshot();
        const MapSnapshot file = fileSnapshot();
        std::ofstream(path("other car.csv")) << formatMapFile(file, {17, 256, "then"});
        fixture.files->answers = {toU16(path("other car.csv"))};

        chooseFromContextMenu(texts::kLoadMapFromFile);

        QVERIFY(fixture.shown().empty());
        QCOMPARE(controllerSnapshot(), file);
        QCOMPARE(dialog().model().acknowledged(), file);
        QCOMPARE(readMapFile(backups("_load.csv").at(0)).content->snapshot, before);

        // Two cells off the file by one step each way, one by a whole volt.
        auto changed = file.cells;
        changed[0] += 1;
        changed[17] -= 1;
        changed[239] += 50;
        fixture.controller->setMap(changed);
        // As a connection would read it.
        dialog().model().load(
            {kServedDeviceType, 0x0100, snapshotOfController(*fixture.controller)});
        fixture.files->answers = {toU16(path("other car.csv"))};
        chooseFromContextMenu(texts::kCompareWithFile);
        dialog().showDeviceData();
        QVERIFY(fixture.shown().empty()); // axes and settings are the file's

        QVERIFY(grid().isComparing());
        for (int r = 0; r < kMapRows; ++r) {
            for (int c = 0; c < kMapColumns; ++c) {
                const size_t i = static_cast<size_t>(r) * kMapColumns + c;
                const QColor colour = grid().cell(c, r).getBkColor();
                if (changed[i] > file.cells[i]) {
                    QVERIFY(colour.red() == 255 && colour.blue() < 255);
                } else if (changed[i] < file.cells[i]) {
                    QVERIFY(colour.blue() == 255 && colour.red() < 255);
                } else {
                    QCOMPARE(colour, QColor(Qt::white));
                }
            }
        }
        QVERIFY(grid().cell(14, 15).getBkColor().green() < grid().cell(0, 0).getBkColor().green());
        const QPoint point = grid().cellRect(2, 1).center();
        QHelpEvent help(QEvent::ToolTip, point, grid().mapToGlobal(point));
        QApplication::sendEvent(&grid(), &help);
        QCOMPARE(QToolTip::text(),
                 QString("W pliku: %1 V").arg(units::mapCellVolts(file.cells[17]), 0, 'f', 2));

        chooseFromContextMenu(texts::kEndCompare);
        QVERIFY(!grid().isComparing());
        QCOMPARE(grid().cell(0, 0).getBkColor(), CMapArray::cellColour(grid().getCellValue(0, 0)));

        // The load is undone as a whole.
        fixture.controller->setMap(file.cells);
        QVERIFY(dialog().device().readMap());
        pressIn(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(controllerSnapshot(), before);
    }

    void compareSaysWhenAxesOrSettingsDiffer() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        MapSnapshot file = controllerSnapshot();
        file.noisePeriod += 1;
        std::ofstream(path("settings.csv")) << formatMapFile(file, {17, 256, "then"});
        file.columns[0] += 1;
        std::ofstream(path("both.csv")) << formatMapFile(file, {17, 256, "then"});
        fixture.files->answers = {toU16(path("settings.csv")), toU16(path("both.csv"))};

        chooseFromContextMenu(texts::kCompareWithFile);
        chooseFromContextMenu(texts::kCompareWithFile);

        const auto shown = fixture.shown();
        QCOMPARE(shown.size(), size_t{2});
        QCOMPARE(qtext(shown[0].text), qtext(texts::kCompareSettingsDiffer));
        QCOMPARE(qtext(shown[1].text),
                 qtext(texts::kCompareAxesDiffer) + "\n" + qtext(texts::kCompareSettingsDiffer));
        QCOMPARE(grid().cell(0, 0).getBkColor(), QColor(Qt::white)); // the cells are the same
    }

    void malformedFilesAreRefusedAndNothingIsSent() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        std::string text = formatMapFile(fileSnapshot(), {17, 256, "then"});
        text.replace(text.find("\n0.150,"), 7, "\n0,150,");
        std::ofstream(path("bad.csv")) << text;
        std::filesystem::create_directory(path("folder.csv"));
        const struct {
            const char* file;
            QString start;
        } cases[] = {{"bad.csv", qtext(translate(texts::kMapFileLine)) + " 11: "},
                     {"folder.csv", qtext(translate(texts::kMapFileNotRegular))},
                     {"missing.csv", qtext(translate(texts::kMapFileCannotOpen))}};
        for (const auto& c : cases) {
            fixture.files->answers = {toU16(path(c.file))};
            pressIn(rpmDividerEdit(), Qt::Key_O, Qt::ControlModifier);
            const auto shown = fixture.shown();
            QVERIFY(!shown.empty());
            QVERIFY2(qtext(shown.back().text).startsWith(c.start),
                     qPrintable(qtext(shown.back().text)));
            QCOMPARE(shown.back().style, MB_ICONERROR);
        }
        QCOMPARE(writesSeen(), size_t{0});
        QCOMPARE(fixture.controller->state().map, fineMap());
        QVERIFY(backups("_load.csv").empty());
    }

    void menuKeyOpensTheMenuFromAnyControl() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        QStringList entries;
        QList<bool> enabled;
        QTimer::singleShot(50, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions()) {
                    if (!action->isSeparator()) {
                        entries << action->text();
                        enabled << action->isEnabled();
                    }
                }
                menu->close();
            }
        });
        pressIn(rpmDividerEdit(), Qt::Key_Menu, Qt::NoModifier);
        // The history's and the files' entries, in this order among the block operations'.
        const QStringList kept{"Cofnij",
                               "Ponów",
                               "Zapisz mapę do pliku...",
                               "Wczytaj mapę z pliku...",
                               "Porównaj z plikiem...",
                               "Zakończ porównanie",
                               "Kalibruj z pliku...",
                               "Kopie zapasowe..."};
        QStringList keptEntries;
        QList<bool> keptEnabled;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (kept.contains(entries[i])) {
                keptEntries << entries[i];
                keptEnabled << enabled[i];
            }
        }
        QCOMPARE(keptEntries, kept);
        // Nothing to undo or redo yet, and no compare view to end.
        QCOMPARE(keptEnabled, (QList<bool>{false, false, true, true, true, false, true, true}));
    }

    void firmwareUpdateIsBackedUpFirst() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        fixture.files->answers = {u""}; // the fitter then cancels the file choice
        dialog().controls().button(mainId::kFirmwareUpdate)->click();
        QVERIFY(fixture.waitForOperations());
        const auto found = backups("_firmware-update.csv");
        QCOMPARE(found.size(), size_t{1});
        QCOMPARE(readMapFile(found[0]).content->snapshot, controllerSnapshot());
    }

    // A file saved from another type of controller or another firmware asks before anything is
    // sent; No (the default) sends nothing and takes no backup.
    void aFileOfAnotherControllerAsksBeforeLoading() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        const MapSnapshot before = controllerSnapshot();
        const MapSnapshot file = fileSnapshot();
        const ControllerIdentity& held = dialog().model().identity();
        const MapFileInfo controller{held.deviceType, held.firmwareVersion, ""};
        struct Case {
            const char* name;
            MapFileInfo info;
            int answer;
        };
        const Case cases[] = {
            {"another type, No",
             {uint8_t(held.deviceType + 1), held.firmwareVersion, "then"},
             IDNO},
            {"another version, Yes",
             {held.deviceType, uint16_t(held.firmwareVersion + 1), "then"},
             IDYES},
        };
        for (const Case& c : cases) {
            std::ofstream(path("other.csv")) << formatMapFile(file, c.info);
            const size_t shownBefore = fixture.shown().size();
            fixture.messages->scriptAnswer(c.answer);
            fixture.files->answers = {toU16(path("other.csv"))};
            chooseFromContextMenu(texts::kLoadMapFromFile);
            QTRY_VERIFY_WITH_TIMEOUT(!dialog().model().busy(), 10000);

            const auto shown = fixture.shown();
            QVERIFY2(shown.size() == shownBefore + 1, c.name);
            QVERIFY2(shown.back().text == identityDifference(c.info, controller).message + u"\n" +
                                              translate(texts::kLoadOtherControllerFile),
                     c.name);
            QCOMPARE(shown.back().style, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
            const bool loaded = c.answer == IDYES;
            QVERIFY2(controllerSnapshot() == (loaded ? file : before), c.name);
            QVERIFY2(backups("_load.csv").size() == (loaded ? 1u : 0u), c.name);
        }
    }

    // Reconnect attempts and long operations leave the grid to be read and selected; only what
    // would write (Ctrl+arrows, header edits) sends nothing meanwhile.
    void theGridStaysReadableWhileWritesAreHeld() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        const ControllerData read{dialog().model().identity().deviceType,
                                  dialog().model().identity().firmwareVersion,
                                  controllerSnapshot()};
        struct Case {
            const char* name;
            std::function<void()> hold;
            std::function<void()> release;
        };
        const Case cases[] = {
            {"an operation runs",
             [this] { dialog().operationStarted(translate(texts::kStatusConnecting)); },
             [this] { dialog().operationEnded(); }},
            {"the link is down", [this] { dialog().model().linkLost(); },
             [this, read] { dialog().model().load(read); }},
        };
        for (const Case& c : cases) {
            c.hold();
            QVERIFY2(grid().isEnabled(), c.name);
            QTest::mouseClick(&grid(), Qt::LeftButton, {}, grid().cellRect(3, 2).center());
            QVERIFY2(grid().cell(3, 2).isSelected(), c.name);
            const QString value = grid().cell(3, 2).getTxt();
            const QString header = grid().columnHeader(3).getTxt();
            pressIn(&grid(), Qt::Key_Up, Qt::ControlModifier);
            QCOMPARE(editHeader(3, "2100"), header);
            QVERIFY(fixture.waitForOperations());
            QVERIFY2(fixture.controller->requests().empty(), c.name);
            QCOMPARE(grid().cell(3, 2).getTxt(), value);
            QVERIFY2(grid().cell(3, 2).isSelected(), c.name);

            c.release();
            pressIn(&grid(), Qt::Key_Up, Qt::ControlModifier);
            QTRY_VERIFY_WITH_TIMEOUT(!dialog().model().busy(), 10000);
            QVERIFY2(fixture.controller->state().map[2 * 15 + 3] == fineMap()[2 * 15 + 3] + 5,
                     c.name);
            fixture.controller->setMap(fineMap());
            dialog().model().load(read); // as a reconnect would read it
            fixture.controller->clearRequests();
        }
        QVERIFY(fixture.shown().empty());
    }

    void backupsOpenTheLoadDialogInTheBackupsFolder() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        QVERIFY(startOnFineMap());
        fixture.files->answers = {u""};
        chooseFromContextMenu(texts::kBackups);
        QCOMPARE(fixture.files->requests.size(), size_t{1});
        QCOMPARE(fixture.files->requests[0].initialDirectory, toU16(mapBackupFolder()));
        QCOMPARE(toU16(mapBackupFolder()), toU16(backupFolder()));
    }
};

QTEST_MAIN(TestMapKeeping)
#include "tst_map_keeping.moc"
