#pragma once
// The Qt message box behind the program's message helper. The helper owns the length limits
// and the replaceable back end; this only draws the box and answers with the button pressed.

#include <string>

class QWidget;

namespace krv {

// Message-box styles the program uses (the values of the Windows flags they stand for).
namespace messageStyle {
inline constexpr unsigned kOk = 0x00;              // OK, no icon
inline constexpr unsigned kError = 0x10;           // OK, error icon
inline constexpr unsigned kInformation = 0x40;     // OK, information icon
inline constexpr unsigned kYesNoDefaultNo = 0x104; // Yes and No, No the default
} // namespace messageStyle

// Buttons as the caller sees them.
inline constexpr int kButtonOk = 1;
inline constexpr int kButtonCancel = 2;
inline constexpr int kButtonYes = 6;
inline constexpr int kButtonNo = 7;

// Shows a modal box owned by owner (or by the active window when owner is null) and returns
// kButtonOk, kButtonYes or kButtonNo; closing a Yes/No box answers No. An unknown style is
// shown as a plain OK box, so a message is never lost.
int showQtMessageBox(QWidget* owner, const std::u16string& text, const std::u16string& caption,
                     unsigned style);

} // namespace krv
