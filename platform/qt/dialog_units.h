#pragma once
// Dialog units to pixels, as Windows lays out a dialog template: the base units are the dialog
// font's average character width and its height; x px = dlu x width / 4, y px = dlu x height / 8.

#include <QRect>

class QFont;

namespace krv {

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& dialogFont);
    CDialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}

    int toPixelsX(int dlu) const;
    int toPixelsY(int dlu) const;
    QRect toPixels(const QRect& dlu) const;

    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

private:
    int baseWidth_;
    int baseHeight_;
};

} // namespace krv
