#include "platform/qt/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace krv {

namespace {

QMessageBox::Icon iconFor(unsigned style) {
    switch (style & 0xF0) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

bool isYesNo(unsigned style) {
    return (style & 0x0F) == 0x04;
}

} // namespace

int showQtMessageBox(QWidget* owner, const std::u16string& text, const std::u16string& caption,
                     unsigned style) {
    QMessageBox box(iconFor(style), QString::fromStdU16String(caption),
                    QString::fromStdU16String(text), QMessageBox::NoButton,
                    owner ? owner : QApplication::activeWindow());
    if (isYesNo(style)) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? kButtonYes : kButtonNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return kButtonOk;
}

} // namespace krv
