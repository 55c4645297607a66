#pragma once
// What the replay draws over the chart: the stretches where the link was lost (covered, so the
// line does not seem to run through them), the markers with their numbers, the time from the
// log's start along the bottom, and the time cursor with its time. Mouse clicks go through to
// the chart.

#include "chart/time_axis.h"

#include <QWidget>
#include <functional>
#include <vector>

class QPainter;

namespace krv {

class CReplayTrack;

class CReplayChartMarks : public QWidget {
    Q_OBJECT
public:
    // column: the chart's pixel column of a log time.
    CReplayChartMarks(QWidget& chart, std::function<int(double seconds)> column);

    // Null hides the marks.
    void show(const CReplayTrack* track);
    // The time labels along the bottom as the width shows them.
    std::vector<TimeTick> timeTicks() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawTimeTicks(QPainter& painter) const;
    void drawCursor(QPainter& painter) const;

    std::function<int(double seconds)> column_;
    const CReplayTrack* track_ = nullptr;
};

} // namespace krv
