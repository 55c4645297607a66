#include "app/replay_chart_marks.h"

#include "readings_log/replay_track.h"

#include <QPainter>

namespace krv {

namespace {

const QColor kGapColour(200, 200, 200);
const QColor kMarkerColour(140, 0, 160);
const QColor kCursorColour(0, 0, 0);

} // namespace

CReplayChartMarks::CReplayChartMarks(QWidget& chart, std::function<int(double seconds)> column)
    : QWidget(&chart), column_(std::move(column)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void CReplayChartMarks::show(const CReplayTrack* track) {
    track_ = track;
    setVisible(track != nullptr);
    raise();
    update();
}

void CReplayChartMarks::paintEvent(QPaintEvent*) {
    if (track_ == nullptr) {
        return;
    }
    QPainter painter(this);
    const ReadingsLog& log = track_->log();
    for (const LogGap& gap : log.gaps) {
        const int from = column_(gap.lostAt);
        const int to = column_(gap.backAt < 0 ? track_->lastSeconds() : gap.backAt);
        const QRect band(from, 1, std::max(to - from, 2), height() - 2);
        painter.fillRect(band, kGapColour);
        painter.fillRect(band, QBrush(Qt::gray, Qt::BDiagPattern));
    }
    painter.setPen(QPen(kMarkerColour, 1, Qt::DashLine));
    for (const LogMarker& marker : log.markers) {
        const int x = column_(marker.seconds);
        painter.drawLine(x, 0, x, height());
        painter.drawText(x + 3, painter.fontMetrics().ascent() + 2, QString::number(marker.number));
    }
    painter.setPen(QPen(kCursorColour, 2));
    const int cursor = column_(track_->atCursor().seconds);
    painter.drawLine(cursor, 0, cursor, height());
}

} // namespace krv
