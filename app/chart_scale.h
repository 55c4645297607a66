#pragma once
// The live chart's reading aids: its volts along the left edge, a legend naming the three lines
// with their unit, and the vertical range the fitter chose in the chart's menu (the whole
// 0-15 V, or fitted to what the chart shows), remembered between starts in the settings file.

#include "chart/scroll_chart.h"
#include "platform/settings_file.h"

#include <QColor>
#include <QObject>
#include <array>
#include <cstdint>
#include <string_view>

class QMenu;
class QPainter;

namespace krv {

struct ChartLine {
    std::uint32_t id;
    QColor colour;
    std::u16string_view caption;
    int penWidth;
};

// Input under output, and wider: on petrol, where the two are equal, the red shows around the
// blue.
extern const std::array<ChartLine, 3> kChartLines;
inline constexpr double kChartFullScaleVolts = 15; // the chart's value 100

// Chart value of a reading. Scaled in double and only then narrowed, so that the label's way
// back (y x 15 / 100) gives the volts the field shows.
float chartValueOfVolts(double volts);

class CChartScale : public QObject {
    Q_OBJECT
public:
    enum class Range { whole, fitted };
    static constexpr std::string_view kSettingName = "Chart range";

    explicit CChartScale(CScrollChart<float>& chart, CSettingsFile settings = CSettingsFile());

    Range range() const { return range_; }
    // Shown at once and remembered.
    void setRange(Range range);
    // After the chart took samples or scrolled: a fitted range follows what it shows.
    void follow();
    void addMenuEntries(QMenu& menu);

    // The volts the chart's height shows for these lowest and highest volts in view: whole
    // steps of a round size, ten of them (the grid's rows), with room above and below.
    struct Volts {
        double low, high;
    };
    static Volts fittedVolts(double lowest, double highest);

private:
    void paint(QPainter& painter, const QRect& client) const;

    CScrollChart<float>& chart_;
    CSettingsFile settings_;
    Range range_ = Range::whole;
};

} // namespace krv
