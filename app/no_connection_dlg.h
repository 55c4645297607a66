#pragma once
// Asked when no port led to a controller: run in demo mode or without a connection. Under the
// buttons, one line a port says why it gave no controller; a list too long for the screen
// scrolls, so that the message and the buttons always stay in view.

#include "app/dialog_controls.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QScrollArea;

namespace krv {

class CNoConnectionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResultDemo = 1;              // IDOK
    static constexpr int kResultWithoutConnection = 2; // IDCANCEL

    explicit CNoConnectionDlg(QWidget* parent = nullptr,
                              const std::vector<std::u16string>& portLines = {});

    // Shows the dialog modally: kResultDemo for "Uruchom w trybie demo"; the other button,
    // Escape and the close box give kResultWithoutConnection.
    int DoModal();

    QAbstractButton* demoButton() const;
    QAbstractButton* withoutConnectionButton() const;
    QLabel* messageText() const { return messageText_; }
    // nullptr when there are no port lines.
    QLabel* portLines() const { return portLines_; }
    // The scrolled box that holds them; nullptr when there are none.
    QScrollArea* portList() const { return portList_; }

private:
    void OnInitDialog();
    void addPortLines(const std::vector<std::u16string>& lines, QSize& size);

    CDialogControls controls_;
    QLabel* messageText_;
    QLabel* portLines_ = nullptr;
    QScrollArea* portList_ = nullptr;
};

} // namespace krv
