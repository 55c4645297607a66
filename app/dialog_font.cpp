#include "app/dialog_font.h"

#include <QFontDatabase>

namespace krv {

QFont dialogFont(int pointSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}

} // namespace krv
