#include "app/replay_chart_marks.h"

#include "readings_log/replay_track.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace krv {

namespace {

const QColor kGapColour(200, 200, 200);
const QColor kMarkerColour(140, 0, 160);
const QColor kCursorColour(0, 0, 0);
const QColor kTimeColour(60, 60, 60);
const QColor kLabelBackground(255, 255, 255, 200);
constexpr int kTickLength = 4;
// Room between two time labels, beyond the widest of them.
constexpr int kTimeLabelGap = 40;

QRect labelRect(const QFontMetrics& metrics, const QString& text) {
    return QRect(0, 0, metrics.horizontalAdvance(text) + 4, metrics.height());
}

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
    drawTimeTicks(painter);
    drawCursor(painter);
}

std::vector<TimeTick> CReplayChartMarks::timeTicks() const {
    if (track_ == nullptr) {
        return {};
    }
    const double span = track_->lastSeconds() - track_->firstSeconds();
    // The last label, tenths and all, is as wide as any.
    const QString widest = QString::fromStdU16String(timeLabel(span, span, true));
    return krv::timeTicks(span, column_(track_->lastSeconds()) - column_(track_->firstSeconds()),
                          fontMetrics().horizontalAdvance(widest) + kTimeLabelGap);
}

void CReplayChartMarks::drawTimeTicks(QPainter& painter) const {
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(kTimeColour);
    for (const TimeTick& tick : timeTicks()) {
        const int x = column_(track_->firstSeconds() + tick.seconds);
        const QString text = QString::fromStdU16String(tick.text);
        QRect box = labelRect(metrics, text);
        box.moveBottom(height() - kTickLength - 2);
        // The first and last labels stay inside the chart.
        box.moveLeft(std::clamp(x - box.width() / 2, 1, std::max(width() - box.width() - 1, 1)));
        painter.drawLine(x, height() - kTickLength - 1, x, height() - 1);
        painter.fillRect(box, kLabelBackground);
        painter.drawText(box, Qt::AlignCenter, text);
    }
}

void CReplayChartMarks::drawCursor(QPainter& painter) const {
    painter.setPen(QPen(kCursorColour, 2));
    const double seconds = track_->atCursor().seconds;
    const int cursor = column_(seconds);
    painter.drawLine(cursor, 0, cursor, height());
    // Below the markers' numbers, on the side of the cursor with room for it.
    const double span = track_->lastSeconds() - track_->firstSeconds();
    const QString text =
        QString::fromStdU16String(timeLabel(seconds - track_->firstSeconds(), span, true));
    QRect box = labelRect(painter.fontMetrics(), text);
    box.moveTop(box.height() + 4);
    if (cursor + 4 + box.width() < width()) {
        box.moveLeft(cursor + 4);
    } else {
        box.moveRight(cursor - 4);
    }
    painter.fillRect(box, kLabelBackground);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace krv
