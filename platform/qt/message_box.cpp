#include "platform/qt/message_box.h"

#include <QMessageBox>

namespace krv {

namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

QMessageBox::Icon iconFor(unsigned style) {
    switch (style & 0xF0) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonPair {
    QMessageBox::StandardButton first;
    QMessageBox::StandardButton second;
};

// The two buttons of a two-button box in their Windows order; NoButton for a lone OK.
ButtonPair buttonsFor(unsigned style) {
    switch (style & 0x0F) {
    case 0x1:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case 0x4:
        return {QMessageBox::Yes, QMessageBox::No};
    default:
        return {QMessageBox::Ok, QMessageBox::NoButton};
    }
}

int windowsId(int qtButton) {
    switch (qtButton) {
    case QMessageBox::Yes:
        return kIdYes;
    case QMessageBox::No:
        return kIdNo;
    case QMessageBox::Cancel:
        return kIdCancel;
    default:
        return kIdOk;
    }
}

} // namespace

int showQtMessageBox(QWidget* owner, const std::u16string& text, const std::u16string& caption,
                     unsigned style) {
    QMessageBox box(iconFor(style), QString::fromStdU16String(caption),
                    QString::fromStdU16String(text), QMessageBox::NoButton, owner);
    const ButtonPair buttons = buttonsFor(style);
    if (buttons.second == QMessageBox::NoButton) {
        box.setStandardButtons(buttons.first);
        box.exec();
        return kIdOk;
    }
    box.setStandardButtons(buttons.first | buttons.second);
    box.setDefaultButton((style & 0x100) != 0 ? buttons.second : buttons.first);
    box.setEscapeButton(buttons.second);
    return windowsId(box.exec());
}

} // namespace krv
