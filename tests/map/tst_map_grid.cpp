// The correction-map grid without a controller: cell lookup, colours, the operating-point
// highlight, its dwell shading and fading trail, the keyboard selection and the window's key
// pre-translation.

#include "connection/thread_manager.h"
#include "map/leading_number.h"
#include "map/map_emu1.h"
#include "map/map_key_filter.h"
#include "map/operating_trail.h"
#include "tests/support/in_place_jobs.h"
#include "tests/support/paint_recorder.h"

#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <clocale>
#include <cstdio>
#include <functional>

using namespace krv;

Q_DECLARE_METATYPE(krv::CellPosition)

namespace {

const QColor kWhite(255, 255, 255);

// Selects the rectangle of value cells from (c0, r0) to (c1, r1) and nothing else.
void select(CMapArray& map, int c0, int r0, int c1, int r1) {
    map.clearSelection(false);
    for (int c = c0; c <= c1; ++c) {
        for (int r = r0; r <= r1; ++r) {
            map.cell(c, r).setSelected(1);
        }
    }
}

// The selected cells as a rectangle, or a null rectangle when they do not form one.
QRect selectedRectangle(CMapArray& map) {
    QRect bounds;
    int count = 0;
    for (int c = 0; c < map.columnCount(); ++c) {
        for (int r = 0; r < map.rowCount(); ++r) {
            if (map.cell(c, r).isSelected()) {
                bounds = bounds.united(QRect(c, r, 1, 1));
                ++count;
            }
        }
    }
    return count == bounds.width() * bounds.height() ? bounds : QRect();
}

} // namespace

class TestMapGrid : public QObject {
    Q_OBJECT

private:
    // No controller: the model is never loaded, so nothing is ever sent.
    CLPGThreadManager threads;
    std::unique_ptr<CLPGConnection> device;
    std::unique_ptr<test::CInPlaceJobs> jobs;
    std::unique_ptr<CControllerModel> model;
    std::unique_ptr<CMapEmu1> map;

private slots:
    void init() {
        device = std::make_unique<CLPGConnection>(threads);
        jobs = std::make_unique<test::CInPlaceJobs>(*device);
        model = std::make_unique<CControllerModel>(*jobs);
        map = std::make_unique<CMapEmu1>(*model);
        map->create(QFont());
        map->fillFromModel();
        map->resize(731, 376);
    }
    void cleanup() {
        map.reset();
        model.reset();
        jobs.reset();
        device.reset();
    }

    void createBuildsTheGridFromTheDevice() {
        QCOMPARE(map->columnCount(), 15);
        QCOMPARE(map->rowCount(), 16);
        QCOMPARE(map->corner().getTxt(), QString("V\\RPM"));
        QCOMPARE(map->columnHeader(0).getTxt(), QString("500"));
        QCOMPARE(map->rowHeader(0).getTxt(), QString("0.96"));
        QCOMPARE(map->colouring(), 1);
        QCOMPARE(map->maxValue(), 5.0);
        QCOMPARE(map->minValue(), 0.0);
        QCOMPARE(map->darkenStep(), 5.0);
    }

    void fillFromModelShowsMapAndAxes() {
        MapSnapshot state;
        state.cells[3 * 15 + 2] = 63;    // 1.26 V
        state.cells[15 * 15 + 14] = 250; // 5.0 V
        state.columns[14] = 80;          // 8000 rpm
        state.rows[15] = 1024;           // 15.36 V
        model->load({kServedDeviceType, 0x0100, state});
        model->linkLost(); // shown, and nothing is sent
        map->fillFromModel();
        QCOMPARE(map->cell(2, 3).getTxt(), QString("1.26"));
        QCOMPARE(map->cell(14, 15).getTxt(), QString("5.00"));
        QCOMPARE(map->cell(14, 15).getBkColor(), QColor(255, 230, 230));
        QCOMPARE(map->cell(0, 0).getTxt(), QString("0.00"));
        QCOMPARE(map->columnHeader(14).getTxt(), QString("8000"));
        QCOMPARE(map->rowHeader(15).getTxt(), QString("15.36"));
    }

    // Strictly below: a value equal to a break point belongs to the next cell.
    void cellIndexOfBoundaries_data() {
        QTest::addColumn<double>("rpm");
        QTest::addColumn<double>("volts");
        QTest::addColumn<CellPosition>("expected");
        // columnAxis: 500, 800, ..., 4700; rowAxis: 0.96, 1.92, ..., 15.36
        QTest::newRow("below the first break points") << 100.0 << 0.5 << CellPosition{0, 0};
        QTest::newRow("on columnAxis[3]") << 1400.0 << 0.5 << CellPosition{4, 0};
        QTest::newRow("just below columnAxis[3]") << 1399.9 << 0.5 << CellPosition{3, 0};
        QTest::newRow("on rowAxis[0]") << 0.0 << 0.96 << CellPosition{0, 1};
        QTest::newRow("above every break point") << 9000.0 << 20.0 << CellPosition{14, 15};
        QTest::newRow("on the last break points") << 4700.0 << 15.36 << CellPosition{14, 15};
        QTest::newRow("not a number") << qQNaN() << qQNaN() << CellPosition{14, 15};
    }
    void cellIndexOfBoundaries() {
        QFETCH(double, rpm);
        QFETCH(double, volts);
        QFETCH(CellPosition, expected);
        QCOMPARE(map->cellIndexOf(rpm, volts), expected);
    }

    void cellColourByValue_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("0.0 white") << 0.0 << kWhite;
        QTest::newRow("5.0 pink") << 5.0 << QColor(255, 230, 230);
        QTest::newRow("-1.0 yellowish") << -1.0 << QColor(255, 255, 250);
        QTest::newRow("0.1 truncates 254.5") << 0.1 << QColor(255, 254, 254);
        QTest::newRow("100 keeps the low 8 bits") << 100.0 << QColor(255, 11, 11);
        QTest::newRow("huge stays a colour") << 1e300 << QColor(255, 0, 0);
        QTest::newRow("not a number is white") << qQNaN() << kWhite;
    }
    void cellColourByValue() {
        QFETCH(double, value);
        QFETCH(QColor, expected);
        QCOMPARE(CMapArray::cellColour(value), expected);
    }

    void cellValueRoundTripsThroughTheText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "2.5" << 2.5;
        QTest::newRow("leading number") << "2.5abc" << 2.5;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("sign and spaces") << "  -1.25" << -1.25;
        QTest::newRow("comma ends the number") << "1,25" << 1.0;
        QTest::newRow("exponent") << "2e2" << 200.0;
        QTest::newRow("dangling exponent") << "3e" << 3.0;
        QTest::newRow("bare point") << "." << 0.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("too large for a double") << "1e999" << 0.0;
        QTest::newRow("infinity is not a number") << "inf" << 0.0;
    }
    void cellValueRoundTripsThroughTheText() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        map->cell(4, 4).setTxt(text);
        QCOMPARE(map->getCellValue(4, 4), expected);
        QCOMPARE(leadingNumber(text.toStdU16String()), expected);
    }

    // Qt applies the user's locale; a Polish one must not turn "2.5" into "2,5", which
    // would read back as 2 and lose the tenths on the next Ctrl+Up.
    void valuesKeepTheirDecimalPointUnderACommaLocale() {
        const std::string previous = setlocale(LC_NUMERIC, nullptr);
        const char* found = nullptr;
        for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
            if (setlocale(LC_NUMERIC, name) != nullptr) {
                found = name;
                break;
            }
        }
        if (found == nullptr) {
            QSKIP("no locale with a decimal comma installed (LOCPATH can point to one)");
        }
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 2.5);
        map->setCellValue(0, 0, 2.5);
        map->cell(1, 0).setSelected(1);
        map->handleKey(vk::kUp, true, false);
        setlocale(LC_NUMERIC, previous.c_str());
        QCOMPARE(QString(probe), QString("2,5")); // the locale really uses a comma
        QCOMPARE(map->cell(0, 0).getTxt(), QString("2.50"));
        QCOMPARE(map->getCellValue(0, 0), 2.5);
        QCOMPARE(map->cell(1, 0).getTxt(), QString("0.10"));
    }

    void setCellValueColoursOnlyWhileColouringByValue() {
        map->setCellValue(1, 1, 5.0);
        QCOMPARE(map->cell(1, 1).getTxt(), QString("5.00"));
        QCOMPARE(map->cell(1, 1).getBkColor(), QColor(255, 230, 230));
        map->setColouring(0);
        map->setCellValue(1, 1, 2.04);
        QCOMPARE(map->cell(1, 1).getTxt(), QString("2.04"));
        QCOMPARE(map->cell(1, 1).getBkColor(), kWhite);
        map->setColouring(1); // value colours come back from the texts
        QCOMPARE(map->cell(1, 1).getBkColor(), CMapArray::cellColour(2.04));
    }

    void highlightMovingFromAToBRestoresA() {
        map->setCellValue(0, 0, 2.0);
        map->setCellValue(4, 2, 5.0);
        map->setCurrentPoint(100, 0.5); // A = (0, 0)
        QVERIFY(map->cell(0, 0).isCurrent());
        QCOMPARE(map->cell(0, 0).getCurrentCellColor(), QColor(120, 0, 0));
        map->setCurrentPoint(1500, 2.5); // B = (4, 2)
        QVERIFY(!map->cell(0, 0).isCurrent());
        QCOMPARE(map->cell(0, 0).getBkColor(), CMapArray::cellColour(2.0));
        QVERIFY(map->cell(4, 2).isCurrent());
        QCOMPARE(map->cell(4, 2).getCurrentCellColor(), QColor(120, 0, 0));
        QCOMPARE(map->currentColumn(), 4);
        QCOMPARE(map->currentRow(), 2);
        QCOMPARE(map->savedColour(), QColor(255, 230, 230));
    }

    // Ten refreshes a second must not repaint the whole grid: a refresh in the same cell
    // repaints nothing, a move repaints the cell left and the cell reached, and a refill
    // repaints the cells whose value changed.
    void refreshesRepaintOnlyTheCellsThatChanged() {
        test::CPaintRecorder recorder(*map);
        map->show();
        QVERIFY(QTest::qWaitForWindowExposed(map.get()));
        const auto repaintedAfter = [&](const std::function<void()>& change) {
            return recorder.repaintedAfter(change);
        };
        const QRegion none;
        map->setCurrentPoint(100, 0.5); // (0, 0)
        for (int mode : {1, 0}) {
            map->setColouring(mode);
            map->setCurrentPoint(100, 0.5);
            QCOMPARE(repaintedAfter([&] { map->setCurrentPoint(100, 0.5); }), none);
        }
        QCOMPARE(repaintedAfter([&] { map->setCurrentPoint(1500, 2.5); }),
                 QRegion(map->cellRect(0, 0)) + map->cellRect(4, 2));
        QCOMPARE(repaintedAfter([&] { map->fillFromModel(); }), none);
        QCOMPARE(repaintedAfter([&] {
                     map->setCellValue(7, 3, 4.0);
                     map->fillFromModel();
                 }),
                 QRegion(map->cellRect(7, 3)));
        // Marks (the compare view, the calibration's coverage) anew: the cells they change.
        map->setColouring(1);
        // White marks over the white cells of an empty map: nothing looks different.
        std::vector<CellMark> marks(kMapCells, CellMark{kWhite, QString()});
        QCOMPARE(repaintedAfter([&] { map->setCellMarks(marks); }), none);
        marks[2 * kMapColumns + 9].background = QColor(170, 228, 170);
        marks[2 * kMapColumns + 9].toolTip = QStringLiteral("learned");
        QCOMPARE(repaintedAfter([&] { map->setCellMarks(marks); }), QRegion(map->cellRect(9, 2)));
        marks[0].toolTip = QStringLiteral("a tooltip is not drawn");
        QCOMPARE(repaintedAfter([&] { map->setCellMarks(marks); }), none);
    }

    // The trail over the cells' own colours: the latest visit of a cell counts, the fresher the
    // bluer, and after kTrailSeconds the cell shows its own colour again.
    void trailFadesFromItsLatestVisit() {
        const QColor own(170, 228, 170);
        const QColor blue(40, 110, 230);
        std::vector<QColor> colours(4, own);
        const TrailPoint points[] = {
            {0, 4.0}, {1, 6.0}, // a visit long ago
            {2, 4.9}, {0, 0.0}, // cell 0 left a moment ago
            {9, 1.0},           // not a cell: ignored
        };
        paintTrail(colours, points);
        const auto tint = [](const QColor& colour, const QColor& towards) {
            return std::abs(colour.blue() - towards.blue()) +
                   std::abs(colour.red() - towards.red());
        };
        QCOMPARE(colours[1], own);
        QCOMPARE(colours[3], own);
        QVERIFY(colours[0] != own && colours[2] != own);
        // Freshest: much nearer the trail's blue than the own colour; near the end: barely.
        QVERIFY(tint(colours[0], blue) < tint(colours[0], own) / 3);
        QVERIFY(tint(colours[2], own) < 10);
        std::vector<QColor> older(4, own);
        const TrailPoint later[] = {{0, 2.5}};
        paintTrail(older, later);
        QVERIFY(tint(colours[0], blue) < tint(older[0], blue));
        QVERIFY(tint(older[0], blue) < tint(colours[2], blue));
    }

    // Each refresh spent in a cell darkens it one step: blue first, then green.
    void dwellShadingDarkensPerRefresh_data() {
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QColor>("left");
        QTest::newRow("3 refreshes") << 3 << QColor(255, 255, 240);
        QTest::newRow("51: blue gone") << 51 << QColor(255, 255, 0);
        QTest::newRow("52: green starts") << 52 << QColor(255, 250, 0);
        QTest::newRow("102: red") << 102 << QColor(255, 0, 0);
        QTest::newRow("150: stays red") << 150 << QColor(255, 0, 0);
    }
    void dwellShadingDarkensPerRefresh() {
        QFETCH(int, refreshes);
        QFETCH(QColor, left);
        map->setCellValue(5, 5, 3.0);
        map->setColouring(0);
        QCOMPARE(map->cell(5, 5).getBkColor(), kWhite);
        for (int i = 0; i < refreshes; ++i) {
            map->setCurrentPoint(1900, 5.5); // cell (5, 5)
        }
        QCOMPARE(map->currentColumn(), 5);
        QCOMPARE(map->savedColour(), left);
        map->setCurrentPoint(100, 0.5); // leave
        QCOMPARE(map->cell(5, 5).getBkColor(), left);
        QVERIFY(!map->cell(5, 5).isCurrent());
    }

    void repeatedColouringModeChangesNothing() {
        map->setColouring(0);
        map->setCurrentPoint(1900, 5.5);
        map->setCurrentPoint(100, 0.5);
        const QColor shaded = map->cell(5, 5).getBkColor();
        QVERIFY(shaded != kWhite);
        map->setColouring(0);
        QCOMPARE(map->cell(5, 5).getBkColor(), shaded);
    }

    void arrowKeysWithNothingSelectedDoNothing() {
        for (int key : {vk::kLeft, vk::kUp, vk::kRight, vk::kDown}) {
            for (bool shift : {false, true}) {
                QVERIFY(map->handleKey(key, false, shift));
                QVERIFY(selectedRectangle(*map).isNull());
            }
        }
        map->handleKey(vk::kUp, true, false);
        QCOMPARE(map->cell(0, 0).getTxt(), QString("0.00"));
    }

    // The single cell next to the first selected one, kept inside the grid.
    void moveSelection_data() {
        QTest::addColumn<QRect>("selection");
        QTest::addColumn<int>("key");
        QTest::addColumn<CellPosition>("expected");
        const QRect block(QPoint(4, 2), QPoint(6, 3));
        QTest::newRow("left of a block") << block << vk::kLeft << CellPosition{3, 2};
        QTest::newRow("right of a block") << block << vk::kRight << CellPosition{5, 2};
        QTest::newRow("up from a block") << block << vk::kUp << CellPosition{4, 1};
        QTest::newRow("down from a block") << block << vk::kDown << CellPosition{4, 3};
        QTest::newRow("left in column 0")
            << QRect(QPoint(0, 5), QPoint(2, 7)) << vk::kLeft << CellPosition{0, 5};
        QTest::newRow("right in column 14")
            << QRect(14, 3, 1, 1) << vk::kRight << CellPosition{14, 3};
        QTest::newRow("up in row 0") << QRect(7, 0, 1, 1) << vk::kUp << CellPosition{7, 0};
        QTest::newRow("down in row 15") << QRect(7, 15, 1, 1) << vk::kDown << CellPosition{7, 15};
    }
    void moveSelection() {
        QFETCH(QRect, selection);
        QFETCH(int, key);
        QFETCH(CellPosition, expected);
        select(*map, selection.left(), selection.top(), selection.right(), selection.bottom());
        QVERIFY(map->handleKey(key, false, false));
        QCOMPARE(selectedRectangle(*map), QRect(expected.column, expected.row, 1, 1));
        QCOMPARE(map->anchorColumn(), expected.column);
        QCOMPARE(map->anchorRow(), expected.row);
    }

    // Every row of the extension table: grow away from the anchor, shrink towards it, stop
    // at the edge, and leave the selection alone on the far side or without an anchor.
    void extendSelection_data() {
        QTest::addColumn<QRect>("selection");
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<int>("key");
        QTest::addColumn<QRect>("expected");
        const QRect cols3to5(QPoint(3, 4), QPoint(5, 4));
        QTest::newRow("right, anchor at c0: adds a column")
            << cols3to5 << QPoint(3, 4) << vk::kRight << QRect(QPoint(3, 4), QPoint(6, 4));
        QTest::newRow("right, anchor at c1: removes c0")
            << cols3to5 << QPoint(5, 4) << vk::kRight << QRect(QPoint(4, 4), QPoint(5, 4));
        QTest::newRow("right, anchor left of c0: unchanged")
            << cols3to5 << QPoint(1, 4) << vk::kRight << cols3to5;
        QTest::newRow("right, at column 14: unchanged")
            << QRect(QPoint(12, 4), QPoint(14, 4)) << QPoint(12, 4) << vk::kRight
            << QRect(QPoint(12, 4), QPoint(14, 4));
        QTest::newRow("left, anchor at c1: adds a column")
            << cols3to5 << QPoint(5, 4) << vk::kLeft << QRect(QPoint(2, 4), QPoint(5, 4));
        QTest::newRow("left, anchor at c0: removes c1")
            << cols3to5 << QPoint(3, 4) << vk::kLeft << QRect(QPoint(3, 4), QPoint(4, 4));
        QTest::newRow("left, anchor right of c1: unchanged")
            << cols3to5 << QPoint(9, 4) << vk::kLeft << cols3to5;
        QTest::newRow("left, at column 0: unchanged")
            << QRect(QPoint(0, 4), QPoint(2, 4)) << QPoint(2, 4) << vk::kLeft
            << QRect(QPoint(0, 4), QPoint(2, 4));
        const QRect rows2to3(QPoint(4, 2), QPoint(6, 3));
        QTest::newRow("down, anchor at r0: adds a row")
            << rows2to3 << QPoint(4, 2) << vk::kDown << QRect(QPoint(4, 2), QPoint(6, 4));
        QTest::newRow("down, anchor at r1: removes r0")
            << rows2to3 << QPoint(4, 3) << vk::kDown << QRect(QPoint(4, 3), QPoint(6, 3));
        QTest::newRow("down, anchor above r0: unchanged")
            << rows2to3 << QPoint(4, 0) << vk::kDown << rows2to3;
        QTest::newRow("down, at row 15: unchanged")
            << QRect(QPoint(4, 14), QPoint(6, 15)) << QPoint(4, 14) << vk::kDown
            << QRect(QPoint(4, 14), QPoint(6, 15));
        QTest::newRow("up, anchor at r1: adds a row")
            << rows2to3 << QPoint(4, 3) << vk::kUp << QRect(QPoint(4, 1), QPoint(6, 3));
        QTest::newRow("up, anchor at r0: removes r1")
            << rows2to3 << QPoint(4, 2) << vk::kUp << QRect(QPoint(4, 2), QPoint(6, 2));
        QTest::newRow("up, anchor below r1: unchanged")
            << rows2to3 << QPoint(4, 9) << vk::kUp << rows2to3;
        QTest::newRow("up, at row 0: unchanged")
            << QRect(QPoint(4, 0), QPoint(6, 1)) << QPoint(4, 1) << vk::kUp
            << QRect(QPoint(4, 0), QPoint(6, 1));
        QTest::newRow("no anchor yet: unchanged")
            << cols3to5 << QPoint(-1, -1) << vk::kRight << cols3to5;
        QTest::newRow("no anchor row: up unchanged")
            << rows2to3 << QPoint(4, -1) << vk::kUp << rows2to3;
    }
    void extendSelection() {
        QFETCH(QRect, selection);
        QFETCH(QPoint, anchor);
        QFETCH(int, key);
        QFETCH(QRect, expected);
        select(*map, selection.left(), selection.top(), selection.right(), selection.bottom());
        map->setAnchor(anchor.x(), anchor.y());
        QVERIFY(map->handleKey(key, false, true));
        QCOMPARE(selectedRectangle(*map), expected);
        QCOMPARE(map->anchorColumn(), anchor.x()); // extending never moves the anchor
    }

    void shiftWalksAroundTheAnchor() {
        select(*map, 6, 6, 6, 6);
        map->setAnchor(6, 6);
        for (int i = 0; i < 3; ++i) {
            map->handleKey(vk::kLeft, false, true);
        }
        QCOMPARE(selectedRectangle(*map), QRect(QPoint(3, 6), QPoint(6, 6)));
        for (int i = 0; i < 5; ++i) {
            map->handleKey(vk::kRight, false, true);
        }
        // Three steps shrink back to the anchor, two more grow on its other side.
        QCOMPARE(selectedRectangle(*map), QRect(QPoint(6, 6), QPoint(8, 6)));
    }

    void ctrlArrowsStepTheSelectionWithinTheLimits() {
        map->setCellValue(2, 2, 1.0);
        map->setCellValue(3, 2, 5.0);
        map->setCellValue(4, 2, 0.0);
        select(*map, 2, 2, 4, 2);
        QVERIFY(map->handleKey(vk::kUp, true, false));
        QCOMPARE(map->cell(2, 2).getTxt(), QString("1.10"));
        QCOMPARE(map->cell(3, 2).getTxt(), QString("5.00"));
        QCOMPARE(map->cell(5, 2).getTxt(), QString("0.00")); // not selected
        QVERIFY(map->handleKey(vk::kDown, true, true));
        QVERIFY(map->handleKey(vk::kDown, true, false));
        QCOMPARE(map->cell(2, 2).getTxt(), QString("0.90"));
        QCOMPARE(map->cell(4, 2).getTxt(), QString("0.00"));
        QCOMPARE(model->acknowledged().cells[2 * 15 + 2], 0); // never written without a connection
    }

    void escapeIsConsumedAndCancelsAnEdit() {
        QVERIFY(map->handleKey(vk::kEscape, false, false));
        QVERIFY(map->handleKey(vk::kEscape, true, true));
        map->setCellValue(1, 1, 2.0);
        map->editCell(1, 1, "4");
        QVERIFY(map->handleKey(vk::kEscape, false, false));
        QVERIFY(!map->isEditing());
        QCOMPARE(map->cell(1, 1).getTxt(), QString("2.00"));
        QVERIFY(!map->handleKey('A', false, false));
        QVERIFY(!map->handleKey(13, false, false)); // Enter goes on to the window
    }

    // The window's pre-translation: arrows act on the map from any control of the window,
    // and Escape never closes it.
    void keysReachTheMapFromAnyControlOfTheWindow() {
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* edit = new QLineEdit(&dialog);
        layout->addWidget(edit);
        auto* grid = new CMapEmu1(*model, &dialog);
        grid->create(QFont());
        grid->fillFromModel();
        layout->addWidget(grid);
        CMapKeyFilter filter(*grid, dialog);
        qApp->installEventFilter(&filter);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        edit->setFocus();
        select(*grid, 5, 5, 5, 5);

        QTest::keyClick(edit, Qt::Key_Right);
        QCOMPARE(selectedRectangle(*grid), QRect(6, 5, 1, 1));
        QTest::keyClick(edit, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(selectedRectangle(*grid), QRect(6, 5, 1, 2));
        QTest::keyClick(edit, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(grid->cell(6, 6).getTxt(), QString("0.10"));
        QTest::keyClick(edit, Qt::Key_A);
        QCOMPARE(edit->text(), QString("a")); // other keys stay with the control

        QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);

        // Another window keeps its own keys.
        QLineEdit other;
        other.show();
        other.setText("xy");
        other.setCursorPosition(2);
        QTest::keyClick(&other, Qt::Key_Left);
        QCOMPARE(other.cursorPosition(), 1);
        QCOMPARE(selectedRectangle(*grid), QRect(6, 5, 1, 2));
    }
};

QTEST_MAIN(TestMapGrid)
#include "tst_map_grid.moc"
