// The grid control as a user meets it: layout in any rectangle, painting, mouse selection and
// the in-place editor.

#include "platform/grid/cell_array.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace krv;

namespace {

// Records where the grid stood when it asked for the final text, and answers in capitals.
class RecordingItem : public CItemEdit {
public:
    struct Call {
        int column;
        int row;
        QString typed;
    };
    explicit RecordingItem(CCellArray*& grid, std::vector<Call>& calls)
        : grid_(grid), calls_(calls) {}
    QString getText() override {
        const QString typed = CItemEdit::getText();
        calls_.push_back({grid_->editedColumn(), grid_->editedRow(), typed});
        return typed.toUpper();
    }

private:
    CCellArray*& grid_;
    std::vector<Call>& calls_;
};

QStringList numbered(int count, const char* prefix) {
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts << QString("%1%2").arg(prefix).arg(i);
    }
    return texts;
}

QPoint centreOf(const CCellArray& grid, int column, int row) {
    return grid.cellRect(column, row).center();
}

bool selectedExactly(CCellArray& grid, QRect cells) {
    for (int c = 0; c < grid.columnCount(); ++c) {
        for (int r = 0; r < grid.rowCount(); ++r) {
            if (grid.cell(c, r).isSelected() != cells.contains(c, r)) {
                return false;
            }
        }
    }
    return true;
}

QLineEdit* editorOf(CCellArray& grid) {
    return grid.findChild<QLineEdit*>();
}

} // namespace

class TestCellArray : public QObject {
    Q_OBJECT

private:
    CCellArray* grid = nullptr;
    std::vector<RecordingItem::Call> calls;

    void build(QSize size = {731, 376}) {
        grid = new CCellArray;
        calls.clear();
        grid->init(std::make_unique<RecordingItem>(grid, calls), "V\\RPM", 22, 52,
                   numbered(15, "c"), 22, 52, numbered(16, "r"), CellArrayColours{}, QFont(), 6);
        grid->resize(size);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
    }

private slots:
    void cleanup() {
        delete grid;
        grid = nullptr;
    }

    void initBuildsCellsFromTheHeaders() {
        build();
        QCOMPARE(grid->columnCount(), 15);
        QCOMPARE(grid->rowCount(), 16);
        QCOMPARE(grid->corner().getTxt(), QString("V\\RPM"));
        QCOMPARE(grid->columnHeader(14).getTxt(), QString("c14"));
        QCOMPARE(grid->rowHeader(15).getTxt(), QString("r15"));
        QCOMPARE(grid->cellAt(-1, 3).getTxt(), QString("r3"));
        QCOMPARE(grid->cellAt(4, -1).getTxt(), QString("c4"));
        QCOMPARE(grid->cell(0, 0).getBkColor(), QColor(255, 255, 255));
        QCOMPARE(grid->sizeHint(), QSize(52 * 16, 22 * 17));
        QCOMPARE(grid->anchorColumn(), -1);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->cell(15, 0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid->cell(0, -1));
    }

    // Whatever rectangle the window gives it, every cell is visible, cells of one kind are
    // within a pixel of each other, and each cell's centre hits that cell.
    void layoutFillsAnyRectangle_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("map placeholder") << QSize(731, 376);
        QTest::newRow("natural") << QSize(832, 374);
        QTest::newRow("small") << QSize(400, 200);
        QTest::newRow("large") << QSize(1600, 900);
    }
    void layoutFillsAnyRectangle() {
        QFETCH(QSize, size);
        const CellLayout layout(CellSizes{22, 52, 22, 52, 15, 16}, size);
        QCOMPARE(layout.columnEdges().size(), size_t(17));
        QCOMPARE(layout.rowEdges().back(), size.height());
        QCOMPARE(layout.columnEdges().back(), size.width());
        int narrowest = size.width();
        int widest = 0;
        for (int c = -1; c < 15; ++c) {
            for (int r = -1; r < 16; ++r) {
                const QRect rect = layout.cellRect(c, r);
                QVERIFY(QRect(QPoint(0, 0), size).contains(rect));
                QCOMPARE(layout.cellAt(rect.center()), (CellPosition{c, r}));
                if (c >= 0) {
                    narrowest = std::min(narrowest, rect.width());
                    widest = std::max(widest, rect.width());
                }
            }
        }
        QVERIFY(widest - narrowest <= 1);
        QVERIFY(!layout.cellAt({size.width(), 0}).has_value());
        QVERIFY(!layout.cellAt({-1, 5}).has_value());
        QVERIFY(layout.cellRect(15, 0).isNull());
    }

    void fontShrinksToFitLowRows() {
        QFont big;
        big.setPointSize(30);
        grid = new CCellArray;
        grid->init(nullptr, "", 22, 52, numbered(15, ""), 22, 52, numbered(16, ""),
                   CellArrayColours{}, big, 6);
        grid->resize(400, 200);
        QVERIFY(QFontMetrics(grid->cellFont()).height() < grid->cellRect(0, 0).height());
        QVERIFY(grid->cellFont().pointSizeF() < 30);
    }

    void paintsSelectionHighlightAndHeaders() {
        build();
        grid->cell(2, 3).setSelected(1);
        grid->cell(5, 6).setBkColor(QColor(255, 230, 230));
        grid->cell(7, 8).setCurrentCellColor(QColor(120, 0, 0));
        grid->cell(7, 8).setCurrent(true);
        const QImage image = grid->grab().toImage();
        const auto colourAt = [&](int c, int r) {
            // Off the centre, clear of the text.
            const QRect rect = grid->cellRect(c, r);
            return QColor(image.pixel(rect.left() + 2, rect.top() + 2));
        };
        QCOMPARE(colourAt(2, 3), QColor(160, 255, 160));
        QCOMPARE(colourAt(5, 6), QColor(255, 230, 230));
        QCOMPARE(colourAt(7, 8), QColor(120, 0, 0));
        QCOMPARE(colourAt(0, 0), QColor(255, 255, 255));
        QCOMPARE(colourAt(2, -1), QColor(210, 210, 210)); // header of a selected column
        QCOMPARE(colourAt(3, -1), QColor(200, 200, 200));
        QCOMPARE(colourAt(-1, 3), QColor(210, 210, 210));
        const QRect cell = grid->cellRect(4, 4);
        QCOMPARE(QColor(image.pixel(cell.left(), cell.center().y())), QColor(0, 0, 0));
    }

    void clickSelectsOneCellAndSetsTheAnchor() {
        build();
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 4, 2));
        QVERIFY(selectedExactly(*grid, QRect(4, 2, 1, 1)));
        QCOMPARE(grid->anchorColumn(), 4);
        QCOMPARE(grid->anchorRow(), 2);
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 9, 11));
        QVERIFY(selectedExactly(*grid, QRect(9, 11, 1, 1)));
        QVERIFY(grid->hasFocus());
    }

    void shiftClickExtendsFromTheAnchor() {
        build();
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 6, 5));
        QTest::mouseClick(grid, Qt::LeftButton, Qt::ShiftModifier, centreOf(*grid, 4, 7));
        QVERIFY(selectedExactly(*grid, QRect(QPoint(4, 5), QPoint(6, 7))));
        QCOMPARE(grid->anchorColumn(), 6); // the anchor stays where the selection began
        QTest::mouseClick(grid, Qt::LeftButton, Qt::ShiftModifier, centreOf(*grid, 8, 5));
        QVERIFY(selectedExactly(*grid, QRect(QPoint(6, 5), QPoint(8, 5))));
    }

    void dragSelectsARectangleAndStopsAtTheEdge() {
        build();
        QTest::mousePress(grid, Qt::LeftButton, {}, centreOf(*grid, 3, 4));
        QMouseEvent move(QEvent::MouseMove, centreOf(*grid, 5, 6),
                         grid->mapToGlobal(centreOf(*grid, 5, 6)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(grid, &move);
        QVERIFY(selectedExactly(*grid, QRect(QPoint(3, 4), QPoint(5, 6))));
        // Dragging over the headers clamps to the first value row and column.
        const QPoint outside(1, 1);
        QMouseEvent away(QEvent::MouseMove, outside, grid->mapToGlobal(outside), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid, &away);
        QVERIFY(selectedExactly(*grid, QRect(QPoint(0, 0), QPoint(3, 4))));
        QTest::mouseRelease(grid, Qt::LeftButton, {}, outside);
    }

    // A right click inside the selection keeps the block the context menu is for; outside it,
    // the cell under it becomes the selection and the anchor, as a left click would make it.
    void rightClickSelectsOnlyOutsideTheSelection() {
        build();
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 3, 3));
        QTest::mouseClick(grid, Qt::LeftButton, Qt::ShiftModifier, centreOf(*grid, 6, 5));
        QTest::mouseClick(grid, Qt::RightButton, {}, centreOf(*grid, 5, 4));
        QVERIFY(selectedExactly(*grid, QRect(QPoint(3, 3), QPoint(6, 5))));
        QCOMPARE(grid->anchorColumn(), 3);
        QTest::mouseClick(grid, Qt::RightButton, {}, centreOf(*grid, 9, 10));
        QVERIFY(selectedExactly(*grid, QRect(9, 10, 1, 1)));
        QCOMPARE(grid->anchorColumn(), 9);
        QCOMPARE(grid->anchorRow(), 10);
        QTest::mouseClick(grid, Qt::RightButton, {}, centreOf(*grid, 4, -1)); // a header
        QVERIFY(selectedExactly(*grid, QRect(9, 10, 1, 1)));
    }

    void clickOnAHeaderKeepsTheSelection() {
        build();
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 2, 2));
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 5, -1));
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, -1, -1));
        QVERIFY(selectedExactly(*grid, QRect(2, 2, 1, 1)));
    }

    // The grid asks the editor item for the final text while editedColumn/editedRow still
    // name the edited cell, -1 standing for a header.
    void editorReportsTheEditedCell_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::newRow("value cell") << 3 << 7;
        QTest::newRow("column header") << 14 << -1;
        QTest::newRow("row header") << -1 << 15;
    }
    void editorReportsTheEditedCell() {
        QFETCH(int, column);
        QFETCH(int, row);
        build();
        QTest::mouseDClick(grid, Qt::LeftButton, {}, centreOf(*grid, column, row));
        QVERIFY(grid->isEditing());
        QLineEdit* edit = editorOf(*grid);
        QVERIFY(edit && edit->isVisible());
        QCOMPARE(edit->geometry(), grid->cellRect(column, row));
        QTest::keyClicks(edit, "ab");
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!grid->isEditing());
        QVERIFY(!edit->isVisible());
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls[0].column, column);
        QCOMPARE(calls[0].row, row);
        QCOMPARE(calls[0].typed, QString("ab")); // typing replaced the cell's text
        QCOMPARE(grid->cellAt(column, row).getTxt(), QString("AB"));
    }

    void escapeCancelsAndEmptyTextKeepsTheCell() {
        build();
        grid->cell(1, 1).setTxt("1.5");
        QTest::mouseDClick(grid, Qt::LeftButton, {}, centreOf(*grid, 1, 1));
        QTest::keyClicks(editorOf(*grid), "9");
        QTest::keyClick(editorOf(*grid), Qt::Key_Escape);
        QVERIFY(!grid->isEditing());
        QVERIFY(calls.empty());
        QCOMPARE(grid->cell(1, 1).getTxt(), QString("1.5"));

        QTest::mouseDClick(grid, Qt::LeftButton, {}, centreOf(*grid, 1, 1));
        editorOf(*grid)->clear();
        QTest::keyClick(editorOf(*grid), Qt::Key_Enter);
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(grid->cell(1, 1).getTxt(), QString("1.5"));
    }

    void typingOnTheSelectionEditsItsFirstCell() {
        build();
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 6, 2));
        QTest::mouseClick(grid, Qt::LeftButton, Qt::ShiftModifier, centreOf(*grid, 5, 4));
        QTest::keyClick(grid, Qt::Key_4);
        QVERIFY(grid->isEditing());
        QCOMPARE(grid->editedColumn(), 5);
        QCOMPARE(grid->editedRow(), 2);
        QTest::keyClick(editorOf(*grid), Qt::Key_2);
        QTest::keyClick(editorOf(*grid), Qt::Key_Return);
        QCOMPARE(grid->cell(5, 2).getTxt(), QString("42"));
    }

    void clickElsewhereEndsTheEditKeepingTheText() {
        build();
        QTest::mouseDClick(grid, Qt::LeftButton, {}, centreOf(*grid, 0, 0));
        QTest::keyClicks(editorOf(*grid), "x");
        QTest::mouseClick(grid, Qt::LeftButton, {}, centreOf(*grid, 8, 8));
        QVERIFY(!grid->isEditing());
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(grid->cell(0, 0).getTxt(), QString("X"));
        QVERIFY(selectedExactly(*grid, QRect(8, 8, 1, 1)));
    }
};

QTEST_MAIN(TestCellArray)
#include "tst_cell_array.moc"
