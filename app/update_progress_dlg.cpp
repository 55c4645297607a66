#include "app/update_progress_dlg.h"

#include "firmware/update/firmware_update.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <string>

namespace krv {

namespace {

QString qtext(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

} // namespace

CUpdateProgressDlg::CUpdateProgressDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      phase_(new QLabel(this)), bar_(new QProgressBar(this)), timeLeft_(new QLabel(this)),
      attempt_(new QLabel(this)) {
    setWindowTitle(qtext(translate(texts::kFirmwareUpdate)));
    setModal(false);
    bar_->setRange(0, 100);
    bar_->setFormat(QStringLiteral("%p %"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phase_);
    layout->addWidget(bar_);
    layout->addWidget(timeLeft_);
    layout->addWidget(attempt_);
    setMinimumWidth(360);
}

void CUpdateProgressDlg::showProgress(const FirmwareUpdateProgress& progress) {
    using Phase = FirmwareUpdateProgress::Phase;
    programming_ = progress.phase != Phase::Reconnecting;
    phase_->setText(qtext(translate(updatePhaseText(progress.phase))));
    const int total = std::max(progress.rowsTotal, 1);
    bar_->setValue(progress.rowsWritten * 100 / total);
    showTimeLeft(progress);
    // Only a retry names its attempt; the first one goes without saying.
    attempt_->setVisible(progress.attempt > 1);
    attempt_->setText(
        qtext(fillIn(translate(texts::kAttemptOf),
                     {toU16(std::to_string(progress.attempt)),
                      toU16(std::to_string(firmware_update::kProgrammingAttempts))})));
    if (!isVisible()) {
        show();
    }
}

void CUpdateProgressDlg::showTimeLeft(const FirmwareUpdateProgress& progress) {
    const std::optional<int> seconds = estimate_.estimate(progress, UpdateTimeLeft::Clock::now());
    timeLeft_->setText(
        seconds ? qtext(fillIn(translate(texts::kTimeLeft), {toU16(std::to_string(*seconds))}))
                : QString());
}

void CUpdateProgressDlg::finish() {
    programming_ = false;
    hide();
}

} // namespace krv
