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

// Processor time of the process, so that other programs on the machine do not count.
double processMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

std::u16string volts(double y) {
    return krv::formatText("%.2f", y * 15 / 100);
}

// Readings in volts, scaled to the chart's 0..100 as the main window does.
void feed(Chart& chart, int samples) {
    for (int x = 0; x < samples; ++x) {
        const double wave = std::sin(x / 25.0);
        const auto scaled = [](double volts) { return static_cast<float>(volts * 100 / 15); };
        chart.addSample(0, static_cast<float>(x), scaled(2.0 + wave), false);
        chart.addSample(1, static_cast<float>(x), scaled(2.03 + wave), false);
        chart.addSample(2, static_cast<float>(x), scaled(3.17 + wave / 2), false);
    }
}

// A chart set up as the main window sets it up, holding three series of the given length.
class PaintedChart {
public:
    explicit PaintedChart(int samples) {
        window_.resize(560, 340);
        chart_.create(QRect(10, 10, 480, 280), &window_, 1012);
        chart_.showGrid(true);
        chart_.setMaxSamples(10000);
        chart_.addSeries(0, volts, QColor(250, 0, 0), 0, 2, 1);
        chart_.addSeries(1, volts, QColor(0, 0, 200), 0, 2, 1);
        chart_.addSeries(2, volts, QColor(0, 200, 0), 0, 2, 1);
        feed(chart_, samples);
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
    const double shortPaint = hundred.paintMicroseconds();
    const double fullPaint = thousand.paintMicroseconds();
    const double longPaint = tenThousand.paintMicroseconds();

    std::printf("chart paint at 480 x 280, processor time per paint:\n");
    std::printf("  3 series of   100 samples (a tenth of the window): %7.1f us\n", shortPaint);
    std::printf("  3 series of  1000 samples (the window full):       %7.1f us\n", fullPaint);
    std::printf("  3 series of 10000 samples (the window full):       %7.1f us\n", longPaint);
    const double ratio = longPaint / shortPaint;
    std::printf("10000 against 100: %.2f (goal < 1.5): %s\n", ratio,
                ratio < 1.5 ? "met" : "MISSED");
    std::printf("10000 against 1000, the same samples in view: %.2f\n", longPaint / fullPaint);
    return 0;
}
