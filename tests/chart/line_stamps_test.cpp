// Lines drawn from stored stamps must come out pixel for pixel as Qt draws them itself: for
// every short extent, at any place (near the edges too), for the pens the chart uses, for
// whole random series over a picture that already holds something, and for a long series
// folded onto pixel columns against every segment of it.

#include "chart/line_stamps.h"
#include "chart/scroll_chart_model.h"

#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <random>

namespace krv {
namespace {

// What the chart drew before the stamps: one call with all segments of the path.
void drawWithQt(QImage& image, const QPen& pen, const std::vector<PixelPoint>& path) {
    QList<QLine> segments;
    for (std::size_t i = 1; i < path.size(); ++i) {
        segments.append(QLine(path[i - 1].x, path[i - 1].y, path[i].x, path[i].y));
    }
    QPainter painter(&image);
    painter.setPen(pen);
    painter.drawLines(segments);
}

void drawWithStamps(LineStamps& stamps, QImage& image, const QPen& pen,
                    const std::vector<PixelPoint>& path) {
    QPainter painter(&image);
    painter.setPen(pen);
    stamps.drawPath(painter, path);
}

QPen chartPen(int width, const QColor& colour, Qt::PenStyle style = Qt::SolidLine) {
    return QPen(colour, width, style, Qt::SquareCap, Qt::BevelJoin);
}

// Some content under the lines, so that a pixel written where Qt writes none shows.
QImage backdrop(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 240));
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    for (int y = 7; y < height; y += 13) {
        painter.drawLine(0, y, width, y);
    }
    return image;
}

// The first pixel where two pictures differ, for the failure message.
QString firstDifference(const QImage& actual, const QImage& expected) {
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (actual.pixel(x, y) != expected.pixel(x, y)) {
                return QStringLiteral("first difference at (%1, %2)").arg(x).arg(y);
            }
        }
    }
    return {};
}

// Where the stamps' picture of a path over `under` differs from Qt's; empty where it does not.
QString stampedAgainstQt(LineStamps& stamps, const QImage& under, const QPen& pen,
                         const std::vector<PixelPoint>& path) {
    QImage expected = under;
    drawWithQt(expected, pen, path);
    QImage actual = under;
    drawWithStamps(stamps, actual, pen, path);
    return actual == expected ? QString() : firstDifference(actual, expected);
}

} // namespace

class LineStampsTest : public QObject {
    Q_OBJECT

private slots:
    void everyShortSegmentMatchesQtAnywhere_data() {
        QTest::addColumn<int>("width");
        for (const int width : {0, 1, 2, 3, 4, 5, 8}) {
            QTest::addRow("width %d", width) << width;
        }
    }

    // Each extent is drawn first far from the edges (where it is stamped) and then at places
    // that include the edges, so a stamp reused elsewhere or near a border would show.
    void everyShortSegmentMatchesQtAnywhere() {
        QFETCH(int, width);
        const QPen pen = chartPen(width, QColor(250, 0, 0));
        LineStamps stamps;
        std::mt19937 random(width);
        std::uniform_int_distribution<int> place(-3, 113);
        const QImage blank = backdrop(110, 110);
        for (int dy = -34; dy <= 34; ++dy) {
            for (int dx = -34; dx <= 34; ++dx) {
                for (int i = 0; i < 3; ++i) {
                    const PixelPoint from =
                        i == 0 ? PixelPoint{55, 55} : PixelPoint{place(random), place(random)};
                    const std::vector<PixelPoint> path{from, {from.x + dx, from.y + dy}};
                    const QString difference = stampedAgainstQt(stamps, blank, pen, path);
                    if (!difference.isEmpty()) {
                        QFAIL(qPrintable(QStringLiteral("(%1, %2) to (%3, %4): %5")
                                             .arg(from.x)
                                             .arg(from.y)
                                             .arg(path[1].x)
                                             .arg(path[1].y)
                                             .arg(difference)));
                    }
                }
            }
        }
    }

    void longUprightSegmentsMatchQt_data() { everyShortSegmentMatchesQtAnywhere_data(); }

    // A long log folded onto pixel columns is mostly upright segments of any length; they are
    // stamped piece by piece, which must give Qt's own pixels, across the edges too.
    void longUprightSegmentsMatchQt() {
        QFETCH(int, width);
        const QPen pen = chartPen(width, QColor(0, 0, 200));
        LineStamps stamps;
        const QImage blank = backdrop(40, 300);
        for (int length = 33; length <= 310; ++length) {
            for (const int top : {-5, 0, 1, 3, 7, 150 - length / 2, 296 - length, 299 - length}) {
                for (const bool down : {true, false}) {
                    const PixelPoint upper{20, top};
                    const PixelPoint lower{20, top + length};
                    const std::vector<PixelPoint> path{down ? upper : lower, down ? lower : upper};
                    const QString difference = stampedAgainstQt(stamps, blank, pen, path);
                    if (!difference.isEmpty()) {
                        QFAIL(qPrintable(QStringLiteral("%1 px from row %2 %3: %4")
                                             .arg(length)
                                             .arg(top)
                                             .arg(down ? "down" : "up")
                                             .arg(difference)));
                    }
                }
            }
        }
    }

    void foldedColumnsMatchQt_data() { everyShortSegmentMatchesQtAnywhere_data(); }

    // A long log whole: every pixel column a run of upright strokes up and down (some leaving
    // the picture), joined to the next column, as chart/column_path.h folds them.
    void foldedColumnsMatchQt() {
        QFETCH(int, width);
        const QPen pen = chartPen(width, QColor(0, 200, 0));
        std::mt19937 random(width + 100);
        std::uniform_int_distribution<int> row(-20, 300);
        std::uniform_int_distribution<int> strokes(1, 4);
        std::vector<PixelPoint> path;
        for (int x = -3; x < 484; x += 1 + (x % 7 == 0 ? 1 : 0)) {
            for (int stroke = strokes(random); stroke >= 0; --stroke) {
                path.push_back({x, row(random)});
            }
        }
        QImage expected = backdrop(480, 280);
        QImage actual = expected;
        LineStamps stamps;
        drawWithQt(expected, pen, path);
        drawWithStamps(stamps, actual, pen, path);
        QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
    }

    // The whole claim of folding a long series onto pixel columns: its path, stamped, paints
    // the pixels Qt paints for every segment between consecutive samples.
    void aFoldedLongSeriesPaintsAsEverySegment() {
        CScrollChartModel<float> model;
        model.create();
        std::mt19937 random(11);
        std::normal_distribution<float> step(0, 3);
        const ClientSize client{480, 280};
        for (const int width : {1, 2}) {
            model.clear();
            model.addSeries(static_cast<std::uint32_t>(width), {}, {}, 0, width, 1);
            float y = 50;
            for (int i = 0; i < 40000; ++i) {
                y = std::clamp(y + step(random), 0.0f, 100.0f);
                QVERIFY(model.addSample(static_cast<std::uint32_t>(width),
                                        static_cast<float>(i) / 45, y));
            }
            QCOMPARE(model.viewStart(), 0.0f); // every sample in view
            const auto& series = model.series().at(static_cast<std::uint32_t>(width));
            std::vector<PixelPoint> everySample;
            for (const auto& [x, value] : series.samples) {
                everySample.push_back(model.toPixel(x, value, client));
            }
            const std::vector<PixelPoint> folded = model.seriesPath(series, client);
            QVERIFY(folded.size() < everySample.size() / 10);
            const QPen pen = chartPen(width, QColor(0, 0, 200));
            QImage expected = backdrop(client.width, client.height);
            QImage actual = expected;
            drawWithQt(expected, pen, everySample);
            LineStamps stamps;
            drawWithStamps(stamps, actual, pen, folded);
            QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
        }
    }

    void randomSeriesMatchQt_data() {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 40; ++seed) {
            QTest::addRow("seed %d", seed) << seed;
        }
    }

    // Three series in turn over the same picture, as the chart paints them: walks of small
    // steps with now and then a jump, points beyond the window and far beyond any screen,
    // and a broken pen that Qt must draw itself.
    void randomSeriesMatchQt() {
        QFETCH(int, seed);
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> step(-6, 6);
        std::uniform_int_distribution<int> oneIn(0, 40);
        std::uniform_int_distribution<int> anywhere(-100, 600);
        const QPen pens[] = {chartPen(2, QColor(250, 0, 0)), chartPen(2, QColor(0, 0, 200)),
                             chartPen(seed % 3, QColor(0, 200, 0)),
                             chartPen(1, QColor(0, 0, 0), Qt::DashLine)};
        QImage expected = backdrop(480, 280);
        QImage actual = expected;
        LineStamps stamps;
        for (const QPen& pen : pens) {
            std::vector<PixelPoint> path;
            PixelPoint point{anywhere(random), anywhere(random) % 280};
            for (int i = 0; i < 400; ++i) {
                path.push_back(point);
                const int jump = oneIn(random);
                if (jump == 0) {
                    point = {anywhere(random), anywhere(random)};
                } else if (jump == 1) {
                    point = {point.x + (1 << 24), point.y - (1 << 23)};
                } else {
                    point = {point.x + std::abs(step(random)) / 2, point.y + step(random)};
                }
            }
            drawWithQt(expected, pen, path);
            drawWithStamps(stamps, actual, pen, path);
            QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
        }
    }
};

} // namespace krv

QTEST_MAIN(krv::LineStampsTest)
#include "line_stamps_test.moc"
