// The map's 3D view: where the projection puts the grid's cells, and that the operating point's
// marker is drawn over the cell the grid highlights, whichever way the view is turned.

#include "connection/thread_manager.h"
#include "map/map_emu1.h"
#include "map/map_surface_view.h"
#include "map/surface_projection.h"
#include "tests/support/in_place_jobs.h"

#include <QImage>
#include <QTest>
#include <cmath>

using namespace krv;

namespace {

double distance(QPointF a, ProjectedPoint b) {
    return std::hypot(a.x() - b.x, a.y() - b.y);
}

// The cell whose projected centre lies nearest the point.
CellPosition nearestCell(const SurfaceProjection& projection, const MapCells& cells,
                         QPointF point) {
    CellPosition best{0, 0};
    double bestDistance = 1e9;
    for (int r = 0; r < kMapRows; ++r) {
        for (int c = 0; c < kMapColumns; ++c) {
            const double volts = cells[static_cast<size_t>(r * kMapColumns + c)] * 0.02;
            const double d = distance(point, projection.project(c, r, volts));
            if (d < bestDistance) {
                bestDistance = d;
                best = {c, r};
            }
        }
    }
    return best;
}

} // namespace

class TestMapSurface : public QObject {
    Q_OBJECT

private slots:
    // Seen from straight above, columns run right and rows up the screen, evenly; from the
    // side, height alone lifts a point; the zoom scales about the middle of the view.
    void projectionPlacesTheGrid() {
        SurfaceProjection top;
        top.columns = 15;
        top.rows = 16;
        top.topValue = 5.1;
        top.width = 600;
        top.height = 400;
        top.yaw = 0;
        top.pitch = 90;
        const ProjectedPoint first = top.project(0, 0, 0);
        const ProjectedPoint nextColumn = top.project(1, 0, 0);
        const ProjectedPoint nextRow = top.project(0, 1, 0);
        const ProjectedPoint last = top.project(14, 15, 0);
        QVERIFY(nextColumn.x > first.x);
        QCOMPARE(nextColumn.y, first.y);
        QVERIFY(nextRow.y < first.y);
        QCOMPARE(nextRow.x, first.x);
        QCOMPARE((first.x + last.x) / 2, 300.0); // centred
        QCOMPARE((first.y + last.y) / 2, 200.0);
        QVERIFY(std::fabs(top.project(7, 7, 5.1).x - top.project(7, 7, 0).x) < 1e-9);

        SurfaceProjection side = top;
        side.pitch = 0;
        QVERIFY(side.project(3, 4, 5.1).y < side.project(3, 4, 0).y);
        QVERIFY(std::fabs(side.project(3, 4, 0).y - side.project(3, 9, 0).y) < 1e-9);
        QVERIFY(side.project(3, 9, 0).depth > side.project(3, 4, 0).depth);

        SurfaceProjection zoomed = top;
        zoomed.zoomBy(2.0);
        QVERIFY(std::fabs((zoomed.project(14, 0, 0).x - 300) -
                          2 * (top.project(14, 0, 0).x - 300)) < 1e-9);
        zoomed.rotate(0, 200);
        QCOMPARE(zoomed.pitch, 90.0); // never past a view from above
        zoomed.reset();
        QCOMPARE(zoomed.zoom, 1.0);
    }

    // The operating point's marker lands over the projected centre of the grid's current cell,
    // and no other cell's centre is nearer to it, for every turn of the view; the pixel under
    // it is the marker's.
    void markerSitsOverTheOperatingCell_data() {
        QTest::addColumn<double>("yaw");
        QTest::addColumn<double>("pitch");
        QTest::addColumn<double>("rpm");
        QTest::addColumn<double>("volts");
        QTest::newRow("first view, low corner") << 0.0 << 0.0 << 500.0 << 0.1;
        QTest::newRow("first view, middle") << 0.0 << 0.0 << 2600.0 << 1.3;
        QTest::newRow("turned and steep") << 120.0 << 40.0 << 3900.0 << 2.2;
        QTest::newRow("from behind") << 180.0 << -20.0 << 1200.0 << 3.0;
    }
    void markerSitsOverTheOperatingCell() {
        QFETCH(double, yaw);
        QFETCH(double, pitch);
        QFETCH(double, rpm);
        QFETCH(double, volts);
        CLPGThreadManager threads;
        CLPGConnection device(threads);
        test::CInPlaceJobs jobs(device);
        CControllerModel model(jobs);
        ControllerData data;
        for (size_t i = 0; i < kMapCells; ++i) {
            data.state.cells[i] = static_cast<uint8_t>((i * 53) % 256); // a rough surface
        }
        for (int c = 0; c < kMapColumns; ++c) {
            data.state.columns[c] = static_cast<uint8_t>(10 + 12 * c);
        }
        for (int r = 0; r < kMapRows; ++r) {
            data.state.rows[r] = static_cast<int16_t>(30 * (r + 1));
        }
        model.load(data);
        CMapEmu1 grid(model);
        grid.create(QFont());
        grid.fillFromModel();
        grid.setCurrentPoint(rpm, volts);
        const CellPosition current{grid.currentColumn(), grid.currentRow()};

        CMapSurfaceView view(model, grid);
        view.resize(640, 480);
        view.resetView();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), QPointF(100, 100),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &press);
        const QPointF to(100 + (yaw / 0.5), 100 + (pitch / 0.5));
        QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &move);

        const SurfaceProjection projection = view.projection();
        const QPointF marker = view.markerPoint();
        const auto i = static_cast<size_t>(current.row * kMapColumns + current.column);
        QVERIFY(distance(marker, projection.project(current.column, current.row,
                                                    data.state.cells[i] * 0.02)) < 0.5);
        QCOMPARE(nearestCell(projection, data.state.cells, marker), current);

        const QImage image = view.grab().toImage();
        const QColor under = image.pixelColor(marker.toPoint());
        QCOMPARE(under, QColor(150, 0, 0));
    }
};

QTEST_MAIN(TestMapSurface)
#include "tst_map_surface.moc"
