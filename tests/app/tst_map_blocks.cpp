// Block operations on the grid's selection against the simulated controller: the keys select and
// change a block in one write that Ctrl+Z takes back, the dialogs take a typed number, the right
// click picks what the menu works on, and typing in a settings field stays in the field.

#include "app/map_views.h"
#include "device/map_file/map_backups.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "main_window_fixture.h"
#include "platform/text.h"
#include "tests/support/map_keeping.h"
#include "tests/support/unavailable.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <array>
#include <cmath>

using namespace krv;
using namespace krv::test;

namespace {

constexpr uint8_t kMapFrame = 9;

// Every cell different, none near the ends of the range (controller units of 0.02 V).
std::array<uint8_t, 240> patternMap() {
    std::array<uint8_t, 240> map{};
    for (size_t i = 0; i < map.size(); ++i) {
        map[i] = static_cast<uint8_t>(20 + (i * 37) % 200);
    }
    return map;
}

size_t at(int row, int column) {
    return static_cast<size_t>(row * kMapColumns + column);
}

} // namespace

class TestMapBlocks : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    CKorrinDlg& dialog() { return *fixture.dialog; }
    CMapEmu1& grid() { return dialog().mapGrid(); }

    std::optional<std::string> startOn(const std::array<uint8_t, 240>& map) {
        if (auto error = fixture.startController()) {
            return "no pseudo-terminal: " + *error;
        }
        fixture.controller->setMap(map);
        fixture.startWindow(clickWithoutConnection);
        dialog().device().stopPolling();
        fixture.controller->clearRequests();
        return std::nullopt;
    }

    void press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        widget->setFocus();
        QTest::keyClick(widget, key, modifiers);
        QVERIFY(fixture.waitForOperations());
    }

    // A click on the first corner, then Shift+arrows to the other, as a fitter does.
    void selectWithKeys(int column, int row, int right, int down) {
        QTest::mouseClick(&grid(), Qt::LeftButton, {}, grid().cellRect(column, row).center());
        for (int i = 0; i < right; ++i) {
            press(&grid(), Qt::Key_Right, Qt::ShiftModifier);
        }
        for (int i = 0; i < down; ++i) {
            press(&grid(), Qt::Key_Down, Qt::ShiftModifier);
        }
    }

    bool selectedExactly(QRect cells) {
        for (int c = 0; c < grid().columnCount(); ++c) {
            for (int r = 0; r < grid().rowCount(); ++r) {
                if (grid().cell(c, r).isSelected() != cells.contains(c, r)) {
                    return false;
                }
            }
        }
        return true;
    }

    std::array<uint8_t, 240> controllerMap() const { return fixture.controller->state().map; }

    size_t mapWrites() const { return fixture.controller->requests(kMapFrame).size(); }

    // '=' on the grid, the number typed into the dialog and Enter.
    void setWithDialog(const QString& typed) {
        CModalAnswer<QInputDialog> answer([typed](QInputDialog& asking) {
            auto* edit = asking.findChild<QLineEdit*>();
            edit->selectAll();
            QTest::keyClicks(edit, typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        press(&grid(), Qt::Key_Equal);
        QCOMPARE(answer.answered(), 1);
    }

private slots:
    void init() { fixture.setUp(); }
    void cleanup() { fixture.tearDown(); }

    // The controller steps by 0.02 V, and so does the grid: after '+' on a block every cell's
    // text shows the step, and '=' offers the value the cell shows.
    void everyStepOfABlockShowsInItsCells() {
        const auto original = patternMap();
        if (auto error = startOn(original)) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        selectWithKeys(3, 2, 4, 3); // columns 3-7, rows 2-5: 20 cells
        const QRect block(QPoint(3, 2), QPoint(7, 5));
        QVERIFY(selectedExactly(block));
        QStringList before;
        for (int r = block.top(); r <= block.bottom(); ++r) {
            for (int c = block.left(); c <= block.right(); ++c) {
                before << grid().cell(c, r).getTxt();
            }
        }

        press(&grid(), Qt::Key_Plus);

        int i = 0;
        for (int r = block.top(); r <= block.bottom(); ++r) {
            for (int c = block.left(); c <= block.right(); ++c, ++i) {
                const uint8_t held = controllerMap()[at(r, c)];
                QCOMPARE(held, uint8_t(original[at(r, c)] + 1));
                QCOMPARE(grid().cell(c, r).getTxt(),
                         QString::asprintf("%.2f", units::mapCellVolts(held)));
                QVERIFY2(grid().cell(c, r).getTxt() != before[i],
                         qPrintable(QString("row %1 column %2").arg(r).arg(c)));
            }
        }
        QString offered;
        CModalAnswer<QInputDialog> answer([&offered](QInputDialog& asking) {
            offered = asking.findChild<QLineEdit*>()->text();
            asking.reject();
        });
        press(&grid(), Qt::Key_Equal);
        QCOMPARE(answer.answered(), 1);
        QCOMPARE(offered, grid().cell(3, 2).getTxt());
    }

    void interpolateIsOneWriteAndOneUndo() {
        const auto original = patternMap();
        if (auto error = startOn(original)) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        selectWithKeys(2, 3, 3, 4); // columns 2-5, rows 3-7
        const QRect block(QPoint(2, 3), QPoint(5, 7));
        QVERIFY(selectedExactly(block));

        press(&grid(), Qt::Key_I);
        QCOMPARE(mapWrites(), size_t{1});
        QCOMPARE(backupFiles(mapBackupFolder(), "_edit-interpolate.csv").size(), size_t{1});
        const auto held = controllerMap();
        const double a = original[at(3, 2)], b = original[at(3, 5)];
        const double c = original[at(7, 2)], d = original[at(7, 5)];
        for (int r = 0; r < kMapRows; ++r) {
            for (int col = 0; col < kMapColumns; ++col) {
                if (!block.contains(col, r)) {
                    QCOMPARE(held[at(r, col)], original[at(r, col)]);
                    continue;
                }
                const double u = (col - 2) / 3.0;
                const double t = (r - 3) / 4.0;
                const double plane = (1 - t) * ((1 - u) * a + u * b) + t * ((1 - u) * c + u * d);
                QVERIFY2(std::fabs(held[at(r, col)] - plane) <= 1.0,
                         qPrintable(QString("row %1 column %2").arg(r).arg(col)));
            }
        }
        QVERIFY(selectedExactly(block)); // the selection stays for the next operation
        QCOMPARE(dialog().model().acknowledged().cells, held);

        press(&grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(controllerMap(), original);
        QCOMPARE(dialog().model().shown().cells, original);
    }

    void equalsSetsTheBlockToTheTypedValue() {
        const auto original = patternMap();
        if (auto error = startOn(original)) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        selectWithKeys(6, 10, 2, 1);
        setWithDialog(QStringLiteral("2.50"));
        QCOMPARE(mapWrites(), size_t{1});
        const auto held = controllerMap();
        for (int r = 0; r < kMapRows; ++r) {
            for (int c = 0; c < kMapColumns; ++c) {
                const bool inside = c >= 6 && c <= 8 && r >= 10 && r <= 11;
                QCOMPARE(held[at(r, c)], inside ? uint8_t{125} : original[at(r, c)]);
            }
        }
        QCOMPARE(grid().cell(7, 11).getTxt(), QStringLiteral("2.50"));
    }

    // More than the controller holds is cut to its top, and the cells cut are named.
    void saturatedCellsAreNamedInTheStatusLine() {
        if (auto error = startOn(patternMap())) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        selectWithKeys(0, 0, 1, 0);
        setWithDialog(QStringLiteral("9"));
        QCOMPARE(controllerMap()[at(0, 0)], uint8_t{255});
        QCOMPARE(controllerMap()[at(0, 1)], uint8_t{255});
        QCOMPARE(fieldText(dialog(), mainId::kStatus),
                 qtext(fillIn(translate(texts::kSaturatedCells), {u"1,1 1,2"})));
    }

    // A right click outside the selection makes the cell under it the block the menu works on;
    // inside, the block stays. The menu lists the operations with their keys.
    void rightClickPicksTheBlockAndTheMenuShowsTheKeys() {
        if (auto error = startOn(patternMap())) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        selectWithKeys(3, 3, 2, 2);
        QTest::mouseClick(&grid(), Qt::RightButton, {}, grid().cellRect(4, 4).center());
        QVERIFY(selectedExactly(QRect(QPoint(3, 3), QPoint(5, 5))));
        QTest::mouseClick(&grid(), Qt::RightButton, {}, grid().cellRect(10, 12).center());
        QVERIFY(selectedExactly(QRect(10, 12, 1, 1)));

        QKeySequence interpolateKeys;
        QTimer::singleShot(50, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu != nullptr) {
                for (QAction* action : menu->actions()) {
                    if (action->text() == qtext(texts::kMapInterpolate)) {
                        interpolateKeys = action->shortcut();
                    }
                }
                menu->close();
            }
        });
        const QPoint point = grid().cellRect(10, 12).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, grid().mapToGlobal(point));
        QApplication::sendEvent(&grid(), &event);
        QCOMPARE(interpolateKeys, QKeySequence(Qt::Key_I));
    }

    // The map's letters are the fitter's text in a settings field: nothing is written.
    void lettersTypedIntoAFieldStayThere() {
        if (auto error = startOn(patternMap())) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        selectWithKeys(1, 1, 2, 2);
        QLineEdit* field = dialog().controls().edit(mainId::kRpmDivider);
        for (Qt::Key key : {Qt::Key_I, Qt::Key_S, Qt::Key_A, Qt::Key_Minus, Qt::Key_Equal}) {
            press(field, key);
        }
        QCOMPARE(mapWrites(), size_t{0});
        QCOMPARE(dialog().model().shown().cells, patternMap());
    }

    // D shows what the newest change did: the cells it changed coloured, the rest white.
    void differenceViewMarksWhatTheLastWriteChanged() {
        if (auto error = startOn(patternMap())) {
            KRV_QTEST_UNAVAILABLE(*error);
        }
        selectWithKeys(4, 4, 1, 1);
        setWithDialog(QStringLiteral("5"));
        press(&grid(), Qt::Key_D);
        QVERIFY(dialog().mapViews().showingDifferences());
        QTRY_VERIFY_WITH_TIMEOUT(grid().hasCellMarks(), 2000);
        QCOMPARE(grid().cell(4, 4).getBkColor().red(), 255); // raised: red
        QVERIFY(grid().cell(4, 4).getBkColor().green() < 255);
        QCOMPARE(grid().cell(0, 0).getBkColor(), QColor(255, 255, 255));
        press(&grid(), Qt::Key_D);
        QVERIFY(!grid().hasCellMarks());
    }
};

QTEST_MAIN(TestMapBlocks)
#include "tst_map_blocks.moc"
