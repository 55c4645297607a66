#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace krv {

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(160, 0, 0));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        // A falling-then-rising pressure trace, the tool's business in one line.
        painter.setPen(QPen(Qt::white, size / 10.0, Qt::SolidLine, Qt::RoundCap));
        const double s = size;
        const QPointF trace[] = {
            {0.15 * s, 0.35 * s}, {0.4 * s, 0.7 * s}, {0.6 * s, 0.45 * s}, {0.85 * s, 0.25 * s}};
        painter.drawPolyline(trace, 4);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace krv
