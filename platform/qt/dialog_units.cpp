#include "platform/qt/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <cmath>

namespace krv {

namespace {

// The average width Windows takes: the 52 Latin letters, rounded to the nearest pixel.
int averageCharWidth(const QFontMetrics& metrics) {
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (width / 26 + 1) / 2;
}

// MulDiv: rounded to the nearest integer, halves away from zero.
int scaled(int value, int numerator, int denominator) {
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

} // namespace

CDialogUnits::CDialogUnits(const QFont& dialogFont) {
    const QFontMetrics metrics(dialogFont);
    baseWidth_ = averageCharWidth(metrics);
    baseHeight_ = metrics.height();
}

int CDialogUnits::toPixelsX(int dlu) const {
    return scaled(dlu, baseWidth_, 4);
}

int CDialogUnits::toPixelsY(int dlu) const {
    return scaled(dlu, baseHeight_, 8);
}

QRect CDialogUnits::toPixels(const QRect& dlu) const {
    // Convert the corners, not the size, so neighbouring controls keep sharing their edges.
    const int left = toPixelsX(dlu.x());
    const int top = toPixelsY(dlu.y());
    const int right = toPixelsX(dlu.x() + dlu.width());
    const int bottom = toPixelsY(dlu.y() + dlu.height());
    return QRect(left, top, right - left, bottom - top);
}

} // namespace krv
