#pragma once
// The firmware update's progress over the main window: the phase, the share of the image's
// rows written, the time left while rows are written, and during a retry which attempt of ten
// it is. Not modal, so the window behind it repaints and moves; the user cannot close it.

#include "firmware/update/firmware_update_window.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace krv {

class CUpdateProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUpdateProgressDlg(QWidget* parent);

    // Shows the dialog if hidden and brings it to this point of the update.
    void showProgress(const FirmwareUpdateProgress& progress);
    // From the first bootloader step until the controller's program was started again.
    bool programming() const { return programming_; }
    void finish();

    QProgressBar* bar() const { return bar_; }
    QLabel* phaseText() const { return phase_; }
    QLabel* timeLeftText() const { return timeLeft_; }
    QLabel* attemptText() const { return attempt_; }

    // Escape does not close it either.
    void reject() override {}

private:
    void showTimeLeft(const FirmwareUpdateProgress& progress);

    QLabel* phase_;
    QProgressBar* bar_;
    QLabel* timeLeft_;
    QLabel* attempt_;
    UpdateTimeLeft estimate_;
    bool programming_ = false;
};

} // namespace krv
