#include "app/update_progress_dlg.h"

#include "firmware/update/firmware_update.h"
#include "lang/program_texts.h"
#include "lang/translate.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <cmath>
#include <initializer_list>

namespace krv {

namespace {

QString qtext(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

// The translated texts keep printf's "%d"; filled here, as a translation is no format to trust.
QString withNumbers(std::u16string_view text, std::initializer_list<int> numbers) {
    QString filled = qtext(translate(text));
    for (int number : numbers) {
        const auto at = filled.indexOf(QStringLiteral("%d"));
        if (at < 0) {
            break;
        }
        filled.replace(at, 2, QString::number(number));
    }
    return filled;
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
        withNumbers(texts::kAttemptOf, {progress.attempt, firmware_update::kProgrammingAttempts}));
    if (!isVisible()) {
        show();
    }
}

void CUpdateProgressDlg::showTimeLeft(const FirmwareUpdateProgress& progress) {
    using Phase = FirmwareUpdateProgress::Phase;
    if (progress.phase != Phase::Programming || progress.rowsWritten == 0) {
        rowsClock_.start(); // rows are timed from the first one of this attempt
        timeLeft_->setText({});
        return;
    }
    const double perRow = static_cast<double>(rowsClock_.elapsed()) / progress.rowsWritten;
    const int rowsLeft = progress.rowsTotal - progress.rowsWritten;
    const int seconds = static_cast<int>(std::ceil(perRow * rowsLeft / 1000.0));
    timeLeft_->setText(withNumbers(texts::kTimeLeft, {seconds}));
}

void CUpdateProgressDlg::finish() {
    programming_ = false;
    hide();
}

} // namespace krv
