#pragma once
// What the replay draws over the chart: the stretches where the link was lost (covered, so the
// line does not seem to run through them), the markers with their numbers, and the time cursor.
// Mouse clicks go through to the chart.

#include <QWidget>
#include <functional>

namespace krv {

class CReplayTrack;

class CReplayChartMarks : public QWidget {
    Q_OBJECT
public:
    // column: the chart's pixel column of a log time.
    CReplayChartMarks(QWidget& chart, std::function<int(double seconds)> column);

    // Null hides the marks.
    void show(const CReplayTrack* track);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<int(double seconds)> column_;
    const CReplayTrack* track_ = nullptr;
};

} // namespace krv
