#include "app/chart_scale.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"

#include <QActionGroup>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace krv {

const std::array<ChartLine, 3> kChartLines{{
    {0, QColor(250, 0, 0), texts::kInput, 4},
    {1, QColor(0, 0, 200), texts::kOutput, 2},
    {2, QColor(0, 200, 0), texts::kPumpPwm, 2},
}};

namespace {

constexpr int kRows = 10; // the chart's horizontal grid divisions
constexpr std::string_view kFittedValue = "fitted";
constexpr std::string_view kWholeValue = "whole";

} // namespace

float chartValueOfVolts(double volts) {
    return static_cast<float>(volts * 100 / kChartFullScaleVolts);
}

CChartScale::CChartScale(CScrollChart<float>& chart, CSettingsFile settings)
    : chart_(chart), settings_(std::move(settings)) {
    range_ = settings_.read(kSettingName) == kFittedValue ? Range::fitted : Range::whole;
    chart_.setOverlay([this](QPainter& painter, const QRect& client) { paint(painter, client); });
}

void CChartScale::setRange(Range range) {
    range_ = range;
    settings_.write(kSettingName, range == Range::fitted ? kFittedValue : kWholeValue);
    follow();
}

CChartScale::Volts CChartScale::fittedVolts(double lowest, double highest) {
    constexpr double kSteps[] = {0.05, 0.1, 0.2, 0.25, 0.5, 1.0, 1.5};
    // A flat line still gets a few tenths around it.
    const double span = std::max(highest - lowest, 0.2);
    for (const double step : kSteps) {
        double low = std::floor((lowest - span * 0.1) / step) * step;
        low = std::max(low, 0.0);
        if (low + kRows * step >= highest + span * 0.1) {
            return {low, low + kRows * step};
        }
    }
    return {0, kChartFullScaleVolts};
}

void CChartScale::follow() {
    Volts shown{0, kChartFullScaleVolts};
    if (range_ == Range::fitted) {
        const auto& model = chart_.model();
        double lowest = std::numeric_limits<double>::max();
        double highest = std::numeric_limits<double>::lowest();
        for (const auto& entry : model.series()) {
            const auto& samples = entry.second.samples;
            const auto end = samples.upper_bound(model.viewStart() + model.viewSpan());
            for (auto sample = samples.lower_bound(model.viewStart()); sample < end; ++sample) {
                lowest = std::min(lowest, double{sample->second});
                highest = std::max(highest, double{sample->second});
            }
        }
        if (lowest <= highest) {
            shown = fittedVolts(lowest * kChartFullScaleVolts / 100,
                                highest * kChartFullScaleVolts / 100);
        }
    }
    chart_.setShownValues(chartValueOfVolts(shown.low), chartValueOfVolts(shown.high));
}

void CChartScale::addMenuEntries(QMenu& menu) {
    menu.addSeparator();
    auto* group = new QActionGroup(&menu);
    for (const auto& [range, text] : {std::pair{Range::whole, texts::kChartRangeWhole},
                                      std::pair{Range::fitted, texts::kChartRangeFitted}}) {
        QAction* action = menu.addAction(QString::fromStdU16String(translate(text)));
        action->setCheckable(true);
        action->setChecked(range_ == range);
        action->setActionGroup(group);
        connect(action, &QAction::triggered, this, [this, range] { setRange(range); });
    }
}

void CChartScale::paint(QPainter& painter, const QRect& client) const {
    QFont font = painter.font();
    font.setBold(false);
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics metrics(font);
    const ClientSize size{client.width(), client.height()};
    // Round volts up the left edge, as close as the text allows.
    const auto& model = chart_.model();
    const double low = model.shownLow() * kChartFullScaleVolts / 100;
    const double high = model.shownHigh() * kChartFullScaleVolts / 100;
    constexpr double kLabelSteps[] = {0.05, 0.1, 0.2, 0.25, 0.5, 1.0, 2.0, 2.5, 5.0};
    double step = kLabelSteps[std::size(kLabelSteps) - 1];
    for (const double candidate : kLabelSteps) {
        if (candidate / (high - low) * client.height() >= 2 * metrics.height()) {
            step = candidate;
            break;
        }
    }
    const char* format = step < 0.1 ? "%.2f" : "%.1f";
    painter.setPen(QColor(60, 60, 60));
    for (long k = std::lround(std::ceil(low / step)); k * step <= high + 1e-9; ++k) {
        const double volts = static_cast<double>(k) * step;
        const int row = model.toPixel(model.viewStart(), chartValueOfVolts(volts), size).y;
        if (row < metrics.ascent() || row >= client.height()) {
            continue; // no room for its text
        }
        painter.drawText(QPoint(3, row + metrics.ascent() / 2 - 1),
                         QString::fromStdU16String(formatText(format, volts)));
    }
    // The legend along the top, right of the scale.
    int x = 3 + metrics.horizontalAdvance(QStringLiteral("00.00")) + 8;
    const int y = 3;
    const int lineHeight = metrics.height();
    std::vector<QString> captions;
    int width = 6;
    for (const ChartLine& line : kChartLines) {
        captions.push_back(QString::fromStdU16String(translate(line.caption)) +
                           QStringLiteral(" [V]"));
        width += 20 + metrics.horizontalAdvance(captions.back()) + 12;
    }
    painter.setPen(QColor(160, 160, 160));
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(x, y, width, lineHeight + 6);
    x += 6;
    for (size_t i = 0; i < kChartLines.size(); ++i) {
        const int middle = y + 3 + lineHeight / 2;
        painter.setPen(QPen(kChartLines[i].colour, 3));
        painter.drawLine(x, middle, x + 14, middle);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x + 20, y + 3 + metrics.ascent()), captions[i]);
        x += 20 + metrics.horizontalAdvance(captions[i]) + 12;
    }
}

} // namespace krv
