// Paint time of the live chart at the main window's size: three series of 10,000 samples (the
// window's cap, the view following the newest) against three of 100, and against three of
// 1,000, which fill the window just as the 10,000 do. Painting looks up the window's edges in
// the ordered samples, so what it costs depends on the samples in view, not on those held.

#include "chart/scroll_chart.h"
#include "platform/text.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

using Chart = krv::CScrollChart<float>;

constexpr int kPaintsPerRound = 50;
constexpr int kRounds = 20;
// Two hours of readings at the polling rate.
constexpr int kLogReadings = 120000;

// Processor time of the process, so that other programs on the machine do not count.
double processMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

std::u16string volts(double y) {
    return krv::formatText("%.2f", y * 15 / 100);
}

// Readings in volts, scaled to the chart's 0..100 as the main window does, one every `step` x
// units (the window's step is 1).
void feed(Chart& chart, int samples, double step) {
    for (int i = 0; i < samples; ++i) {
        const double wave = std::sin(i / 25.0);
        const auto scaled = [](double volts) { return static_cast<float>(volts * 100 / 15); };
        const auto x = static_cast<float>(i * step);
        chart.addSample(0, x, scaled(2.0 + wave), false);
        chart.addSample(1, x, scaled(2.03 + wave), false);
        chart.addSample(2, x, scaled(3.17 + wave / 2), false);
    }
}

// A chart set up as the main window sets it up, holding three series of the given length.
class PaintedChart {
public:
    // whole: the samples spread over the view (1000 x units) and all in it, as a log shown whole;
    // else one an x unit, the view following the newest, as the live chart.
    explicit PaintedChart(int samples, bool whole = false) {
        window_.resize(560, 340);
        chart_.create(QRect(10, 10, 480, 280), &window_, 1012);
        chart_.showGrid(true);
        chart_.setMaxSamples(std::max(samples, 10000));
        chart_.addSeries(0, volts, QColor(250, 0, 0), 0, 2, 1);
        chart_.addSeries(1, volts, QColor(0, 0, 200), 0, 2, 1);
        chart_.addSeries(2, volts, QColor(0, 200, 0), 0, 2, 1);
        feed(chart_, samples, whole ? 1000.0 / samples : 1.0);
        if (whole) {
            chart_.scroll(krv::ScrollRequest::ThumbTrack, 0);
        }
        target_ = QImage(chart_.size(), QImage::Format_ARGB32_Premultiplied);
    }

    // Microseconds per paint, the best of several rounds: the chart's paint event alone (the
    // drawing into its frame and the one copy), without the scroll bar and window system.
    double paintMicroseconds() {
        double best = 0;
        for (int round = 0; round < kRounds; ++round) {
            const double start = processMicroseconds();
            for (int i = 0; i < kPaintsPerRound; ++i) {
                chart_.render(&target_, QPoint(), QRegion(chart_.clientRect()), {});
            }
            const double perPaint = (processMicroseconds() - start) / kPaintsPerRound;
            best = round == 0 ? perPaint : std::min(best, perPaint);
        }
        return best;
    }

private:
    QWidget window_;
    Chart chart_;
    QImage target_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    PaintedChart hundred(100);
    PaintedChart thousand(1000);
    PaintedChart tenThousand(10000);
    PaintedChart tenThousandWhole(10000, true);
    PaintedChart wholeLog(kLogReadings, true);
    const double shortPaint = hundred.paintMicroseconds();
    const double fullPaint = thousand.paintMicroseconds();
    const double longPaint = tenThousand.paintMicroseconds();
    const double tenThousandPaint = tenThousandWhole.paintMicroseconds();
    const double wholeLogPaint = wholeLog.paintMicroseconds();

    std::printf("chart paint at 480 x 280, processor time per paint:\n");
    std::printf("  3 series of   100 samples (a tenth of the window): %7.1f us\n", shortPaint);
    std::printf("  3 series of  1000 samples (the window full):       %7.1f us\n", fullPaint);
    std::printf("  3 series of 10000 samples (the window full):       %7.1f us\n", longPaint);
    const double ratio = longPaint / shortPaint;
    std::printf("10000 against 100: %.2f (goal < 1.5): %s\n", ratio,
                ratio < 1.5 ? "met" : "MISSED");
    std::printf("10000 against 1000, the same samples in view: %.2f\n", longPaint / fullPaint);
    std::printf("  3 series of 10000 samples, all in view:            %7.1f us\n",
                tenThousandPaint);
    std::printf("  3 series of %d samples, all in view (a log whole): %7.1f us\n", kLogReadings,
                wholeLogPaint);
    const double wholeRatio = wholeLogPaint / tenThousandPaint;
    std::printf("a log whole against 10000 in view: %.2f (goal <= 1.5): %s\n", wholeRatio,
                wholeRatio <= 1.5 ? "met" : "MISSED");
    return 0;
}
