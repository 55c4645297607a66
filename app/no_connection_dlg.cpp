#include "app/no_connection_dlg.h"

#include "app/dialog_font.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"

#include <QAbstractButton>
#include <QLabel>
#include <QStringList>

namespace krv {

namespace {

// As far from the edges as the template's own controls.
constexpr int kPortLinesMarginDlu = 7;

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
        QStringList lines;
        for (const std::u16string& line : portLines) {
            lines << QString::fromStdU16String(line);
        }
        portLines_ = new QLabel(lines.join(u'\n'), this);
        portLines_->setWordWrap(true);
        // The cure (a command to type) is there to be copied.
        portLines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const int margin = controls_.units().toPixelsX(kPortLinesMarginDlu);
        const int width = size.width() - 2 * margin;
        const int height = portLines_->heightForWidth(width);
        portLines_->setGeometry(margin, size.height(), width, height);
        size.rheight() += height + controls_.units().toPixelsY(kPortLinesMarginDlu);
    }
    setFixedSize(size);
    QObject::connect(demoButton(), &QAbstractButton::clicked, this, &QDialog::accept);
    QObject::connect(withoutConnectionButton(), &QAbstractButton::clicked, this, &QDialog::reject);
    OnInitDialog();
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
