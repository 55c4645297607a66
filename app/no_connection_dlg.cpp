#include "app/no_connection_dlg.h"

#include "app/dialog_font.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <algorithm>

namespace krv {

namespace {

// As far from the edges as the template's own controls.
constexpr int kPortLinesMarginDlu = 7;
// Of the screen's height, what the dialog may take: the rest is the title bar's and the
// desktop's.
constexpr int kScreenSharePercent = 85;
// However small the screen, a few port lines show.
constexpr int kLeastVisibleLines = 4;

int availableScreenHeight(const QWidget* parent) {
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().height() : 0;
}

QDialog* withFont(QDialog* dialog, int pointSize) {
    dialog->setFont(dialogFont(pointSize));
    return dialog;
}

} // namespace

CNoConnectionDlg::CNoConnectionDlg(QWidget* parent, const std::vector<std::u16string>& portLines)
    : QDialog(parent),
      controls_(withFont(this, kNoConnectionTemplate.fontPointSize), kNoConnectionTemplate),
      messageText_(qobject_cast<QLabel*>(controls_.control(noConnectionId::kMessage))) {
    QSize size = controls_.clientSize();
    if (!portLines.empty()) {
        addPortLines(portLines, size);
    }
    setFixedSize(size);
    QObject::connect(demoButton(), &QAbstractButton::clicked, this, &QDialog::accept);
    QObject::connect(withoutConnectionButton(), &QAbstractButton::clicked, this, &QDialog::reject);
    OnInitDialog();
}

void CNoConnectionDlg::addPortLines(const std::vector<std::u16string>& lines, QSize& size) {
    QStringList text;
    for (const std::u16string& line : lines) {
        text << QString::fromStdU16String(line);
    }
    portLines_ = new QLabel(text.join(u'\n'));
    portLines_->setWordWrap(true);
    portLines_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The cure (a command to type) is there to be copied.
    portLines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    portList_ = new QScrollArea(this);
    portList_->setFrameShape(QFrame::NoFrame);
    portList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    portList_->setWidgetResizable(true);
    portList_->setWidget(portLines_);

    const int margin = controls_.units().toPixelsX(kPortLinesMarginDlu);
    const int bottom = controls_.units().toPixelsY(kPortLinesMarginDlu);
    const int width = size.width() - 2 * margin;
    // The list goes between the message, as tall as its text, and the buttons.
    messageText_->setText(QString::fromStdU16String(translate(texts::kNoControllerOnAnyPort)));
    QRect message = messageText_->geometry();
    const int textHeight = messageText_->wordWrap() ? messageText_->heightForWidth(message.width())
                                                    : messageText_->sizeHint().height();
    if (textHeight > 0) {
        message.setHeight(std::min(message.height(), textHeight));
    }
    messageText_->setGeometry(message);
    QAbstractButton* buttons[] = {demoButton(), withoutConnectionButton()};
    const int buttonsTop = std::min(buttons[0]->y(), buttons[1]->y());
    const int listTop = message.bottom() + 1 + bottom;
    const int belowButtons = size.height() - buttonsTop;
    const int room = availableScreenHeight(parentWidget()) * kScreenSharePercent / 100 - listTop -
                     bottom - belowButtons;
    const int least = kLeastVisibleLines * portLines_->fontMetrics().lineSpacing();
    const int whole = portLines_->heightForWidth(width);
    int height = whole;
    if (whole > room) {
        // Scrolled, the lines wrap beside the scroll bar.
        const int beside = width - portList_->verticalScrollBar()->sizeHint().width();
        height = std::min(portLines_->heightForWidth(beside), std::max(room, least));
    }
    portList_->setGeometry(margin, listTop, width, height);
    const int shift = listTop + height + bottom - buttonsTop;
    for (QAbstractButton* button : buttons) {
        button->move(button->x(), button->y() + shift);
    }
    size.rheight() += shift;
}

void CNoConnectionDlg::OnInitDialog() {
    setWindowTitle(QString::fromStdU16String(std::u16string(kMessageCaption)));
    controls_.setText(noConnectionId::kMessage, translate(texts::kNoControllerOnAnyPort));
    controls_.setText(noConnectionId::kDemo, translate(texts::kRunDemoMode));
    controls_.setText(noConnectionId::kWithoutConnection, translate(texts::kRunWithoutConnection));
}

int CNoConnectionDlg::DoModal() {
    return exec() == QDialog::Accepted ? kResultDemo : kResultWithoutConnection;
}

QAbstractButton* CNoConnectionDlg::demoButton() const {
    return controls_.button(noConnectionId::kDemo);
}

QAbstractButton* CNoConnectionDlg::withoutConnectionButton() const {
    return controls_.button(noConnectionId::kWithoutConnection);
}

} // namespace krv
