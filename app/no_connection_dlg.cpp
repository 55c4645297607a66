#include "app/no_connection_dlg.h"

#include "app/dialog_font.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"

#include <QAbstractButton>
#include <QLabel>

namespace krv {

namespace {

QDialog* withFont(QDialog* dialog, int pointSize) {
    dialog->setFont(dialogFont(pointSize));
    return dialog;
}

} // namespace

CNoConnectionDlg::CNoConnectionDlg(QWidget* parent)
    : QDialog(parent),
      controls_(withFont(this, kNoConnectionTemplate.fontPointSize), kNoConnectionTemplate),
      messageText_(qobject_cast<QLabel*>(controls_.control(noConnectionId::kMessage))) {
    setFixedSize(controls_.clientSize());
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
