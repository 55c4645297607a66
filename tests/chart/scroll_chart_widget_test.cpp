// The chart as a real widget on the offscreen platform: placement, font, the pixels it paints
// and the scroll bar's actions turned into scroll requests.

#include "chart/scroll_chart.h"
#include "platform/text.h"
#include "tests/support/paint_recorder.h"

#include <QEvent>
#include <QScrollBar>
#include <QtTest>
#include <cmath>

namespace krv {
namespace {

using Chart = CScrollChart<float>;

const QColor kRed(250, 0, 0);
const QColor kBlue(0, 0, 200);
constexpr QRgb kBackground = 0xFFF0F0F0;

std::u16string volts(double y) {
    return formatText("%.2f", y * 15 / 100);
}

int barHeight(const Chart& chart) {
    return chart.scrollBar()->sizeHint().height();
}

// A chart whose client area is width x height, created in a parent as the main window does.
void createChart(Chart& chart, QWidget& parent, int width, int height) {
    parent.resize(width + 40, height + 200);
    QVERIFY(chart.create(QRect(20, 30, width, height + barHeight(chart)), &parent, 1012));
    QCOMPARE(chart.clientRect(), QRect(0, 0, width, height));
}

void feed(Chart& chart, std::uint32_t id, int first, int last, float y = 50) {
    for (int x = first; x <= last; ++x) {
        QVERIFY(chart.addSample(id, static_cast<float>(x), y, false));
    }
}

bool isReddish(QRgb pixel) {
    return qRed(pixel) > 150 && qGreen(pixel) < 120 && qBlue(pixel) < 120;
}

bool isBluish(QRgb pixel) {
    return qBlue(pixel) > 120 && qRed(pixel) < 120 && qGreen(pixel) < 120;
}

int countInRow(const QImage& image, int row, bool (*match)(QRgb)) {
    int count = 0;
    for (int x = 1; x < image.width() - 1; ++x) {
        count += match(image.pixel(x, row)) ? 1 : 0;
    }
    return count;
}

bool isBlack(QRgb pixel) {
    return qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0;
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

} // namespace

class ScrollChartWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void createPlacesTheChartAboveItsScrollBar() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 480, 240);
        QCOMPARE(chart.parentWidget(), &parent);
        QCOMPARE(chart.geometry(), QRect(20, 30, 480, 240 + barHeight(chart)));
        QCOMPARE(chart.controlId(), 1012);
        QCOMPARE(chart.scrollBar()->geometry(), QRect(0, 240, 480, barHeight(chart)));
        QCOMPARE(chart.scrollBar()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(chart.model().verticalDivisions(), 20u);
        QCOMPARE(chart.labelFont().pixelSize(), 15);
        QVERIFY(chart.labelFont().bold());
        QVERIFY(!chart.create(QRect(0, 0, 100, 100), &parent, 1012)); // only once

        Chart orphan;
        QVERIFY(!orphan.create(QRect(0, 0, 100, 100), nullptr, 1012));
    }

    void showingKeepsTheCreateFontAndAResizeReplacesIt() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 480, 240);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QCOMPARE(chart.labelFont().pixelSize(), 15);
        chart.resize(500, 250 + barHeight(chart));
        QCOMPARE(chart.labelFont().pixelSize(), 7); // trunc(sqrt(500 x 250) / 50)
        QVERIFY(chart.labelFont().bold());
        QCOMPARE(chart.scrollBar()->geometry(), QRect(0, 250, 500, barHeight(chart)));
    }

    void paintsBackgroundGridSeriesLabelAndBorderInOrder() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 200);
        chart.showGrid(true);
        chart.setMaxSamples(10000);
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        feed(chart, 0, 0, 500); // a flat line at y = 50: pixel row 200 - trunc(99.9) = 101
        const QImage frame = chart.renderFrame();
        QCOMPARE(frame.size(), QSize(400, 200));

        QCOMPARE(frame.pixel(5, 5), kBackground);
        const QRgb border = chart.palette().color(QPalette::Dark).rgb();
        for (const QPoint corner : {QPoint(0, 0), QPoint(399, 0), QPoint(0, 199), QPoint(399, 199),
                                    QPoint(200, 0), QPoint(0, 150)}) {
            QCOMPARE(frame.pixel(corner), border);
        }
        // Dotted: row 20 is a grid line (200 / 10), partly black, partly background.
        const int black = countInRow(frame, 20, isBlack);
        QVERIFY(black > 50 && black < 300);
        QCOMPARE(countInRow(frame, 10, isBlack), 0);
        // The series: x 0..500 of a 1000-wide view covers the left half of the width.
        for (const int x : {10, 100, 190}) {
            QCOMPARE(frame.pixel(x, 101), kRed.rgb());
        }
        QCOMPARE(frame.pixel(300, 101), kBackground);
        // The label "7.50" above the last sample at pixel (200, 101), in the series colour.
        int labelPixels = 0;
        for (int y = 76; y < 99; ++y) {
            for (int x = 200; x < 233; ++x) {
                labelPixels += isReddish(frame.pixel(x, y)) ? 1 : 0;
            }
        }
        QVERIFY(labelPixels > 10);

        chart.showGrid(false);
        QCOMPARE(countInRow(chart.renderFrame(), 20, isBlack), 0);
    }

    // In the bold 15-pixel font "7.50" is wider than the narrowest label, so a fixed shift
    // would print the second label over the first.
    void labelsAtOneSpotDoNotOverlapOnScreen() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 200);
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        QVERIFY(chart.addSeries(1, volts, kBlue, 0, 2, 1));
        QVERIFY(chart.addSample(0, 500, 50, false));
        QVERIFY(chart.addSample(1, 500, 50, false)); // both end at pixel (200, 101)
        const QImage frame = chart.renderFrame();
        int rightmostBlue = -1;
        int leftmostRed = frame.width();
        for (int y = 76; y < 99; ++y) {
            for (int x = 1; x < frame.width() - 1; ++x) {
                if (isBluish(frame.pixel(x, y))) {
                    rightmostBlue = std::max(rightmostBlue, x);
                }
                if (isReddish(frame.pixel(x, y))) {
                    leftmostRed = std::min(leftmostRed, x);
                }
            }
        }
        QVERIFY(rightmostBlue >= 0);
        QVERIFY2(
            rightmostBlue < leftmostRed,
            qPrintable(
                QStringLiteral("blue to %1, red from %2").arg(rightmostBlue).arg(leftmostRed)));
    }

    void aSeriesOutsideTheWindowDrawsItsCrossingSegmentAndNoLabel() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 200);
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        QVERIFY(chart.addSample(0, 1500, 50, true));
        QVERIFY(chart.addSample(0, -500, 50, true));
        const QImage frame = chart.renderFrame();
        QCOMPARE(countInRow(frame, 101, isReddish), 398);
        for (int y = 1; y < 98; ++y) {
            QCOMPARE(countInRow(frame, y, isReddish), 0);
        }
    }

    void markersComeFromBit17OfTheStyleWord() {
        for (const bool markers : {false, true}) {
            QWidget parent;
            Chart chart;
            createChart(chart, parent, 400, 200);
            QVERIFY(chart.addSeries(0, volts, kBlue, markers ? kChartMarkers : 0, 2, 1));
            QVERIFY(chart.addSample(0, 500, 50, true)); // pixel (200, 101), a single point
            // Left of and below the label: only a marker of radius 4 reaches here.
            const QRgb pixel = chart.renderFrame().pixel(198, 103);
            QCOMPARE(pixel, markers ? kBlue.rgb() : kBackground);
        }
    }

    void theScrollBarShowsTheView() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 200);
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        QScrollBar& bar = *chart.scrollBar();
        QCOMPARE(bar.pageStep(), 1000);
        int barMoves = 0;
        QObject::connect(&bar, &QAbstractSlider::rangeChanged, &chart, [&] { ++barMoves; });
        QObject::connect(&bar, &QAbstractSlider::valueChanged, &chart, [&] { ++barMoves; });
        feed(chart, 0, 0, 3000); // data 0..3100, view 2100..3100
        // A burst of samples moves the bar once, a moment later, not once per sample.
        QCOMPARE(barMoves, 0);
        QTRY_COMPARE_WITH_TIMEOUT(bar.pageStep(), 322, 2000);
        QVERIFY(barMoves <= 3); // the range, the value it clamps, the value
        QCOMPARE(bar.value(), 677);
        QCOMPARE(bar.maximum(), 1000 - 322 + 1); // the last position Windows allows
        QVERIFY(chart.clear());
        QCOMPARE(bar.value(), 0);
        QCOMPARE(bar.pageStep(), 322); // dataMax stays after a clear
    }

    void scrollBarActionsBecomeScrollRequests() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 200);
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        feed(chart, 0, 0, 3000);
        QScrollBar& bar = *chart.scrollBar();

        bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(chart.model().viewStart(), 2090.0f);
        QCOMPARE(bar.value(), 674); // trunc(1000 x 2090 / 3100)
        bar.triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(chart.model().viewStart(), 1590.0f);
        bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(chart.model().viewStart(), 1600.0f);
        bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(chart.model().viewStart(), 2100.0f);
        QCOMPARE(bar.value(), 677);

        // Requests the chart ignores leave the thumb where the chart put it.
        bar.triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(chart.model().viewStart(), 2100.0f);
        QCOMPARE(bar.value(), 677);

        bar.setSliderPosition(250); // a drag of the thumb
        QCOMPARE(chart.model().viewStart(), 775.0f);
        QCOMPARE(bar.value(), 250);
    }

    void requestsThatDoNothingDoNotRepaint() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 200);
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        QVERIFY(chart.addSample(0, 0, 50, false));
        QVERIFY(chart.addSample(0, 900.5f, 50, false));
        QCOMPARE(chart.model().viewStart(), 0.5f);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        PaintCounter counter;
        chart.installEventFilter(&counter);
        QCoreApplication::processEvents();
        counter.paints = 0;

        chart.scroll(ScrollRequest::LineLeft, 0);
        chart.scroll(ScrollRequest::ThumbPosition, 300);
        chart.scroll(ScrollRequest::EndScroll, 0);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
        QCOMPARE(chart.model().viewStart(), 0.5f);

        chart.scroll(ScrollRequest::ThumbTrack, 300);
        QTRY_VERIFY(counter.paints > 0);
    }

    // The bar sits inside the chart: a sample must not drag it into every repaint.
    void aNewSampleRepaintsThePlotAndNotItsScrollBar() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 200);
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        feed(chart, 0, 0, 10);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        test::CPaintRecorder plot(chart);
        test::CPaintRecorder bar(*chart.scrollBar());
        QRegion plotted;
        bool added = false;
        const QRegion barPainted = bar.repaintedAfter([&] {
            plotted = plot.repaintedAfter([&] { added = chart.addSample(0, 1200, 60, true); });
        });
        QVERIFY(added);
        QCOMPARE(plotted, QRegion(chart.clientRect()));
        QVERIFY(barPainted.isEmpty());
    }

    void aChartLowerThanItsGridStillPaints() {
        QWidget parent;
        Chart chart;
        createChart(chart, parent, 400, 5); // a grid step of 0 pixels
        QVERIFY(chart.addSeries(0, volts, kRed, 0, 2, 1));
        feed(chart, 0, 0, 10);
        QCOMPARE(chart.renderFrame().size(), QSize(400, 5));

        Chart flat;
        createChart(flat, parent, 400, 0);
        QVERIFY(flat.renderFrame().isNull());
    }
};

} // namespace krv

QTEST_MAIN(krv::ScrollChartWidgetTest)
#include "scroll_chart_widget_test.moc"
