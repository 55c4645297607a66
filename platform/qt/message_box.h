#pragma once
// The Qt message box behind the program's message helper (link/message.h), which owns the
// length limits and the replaceable back end; this only draws the box.

#include <string>

class QWidget;

namespace krv {

// style uses the Windows message-box flags: buttons in the low four bits (0 OK, 1 OK/Cancel,
// 4 Yes/No), icon in the next four (0x10 error, 0x20 question, 0x30 warning, 0x40 information),
// 0x100 makes the second button the default. Returns the Windows button id pressed (1 OK,
// 2 Cancel, 6 Yes, 7 No); closing the box answers Cancel, or No for a Yes/No box. Unknown
// button bits show an OK box, so a message is never lost. A null owner: a box of its own.
int showQtMessageBox(QWidget* owner, const std::u16string& text, const std::u16string& caption,
                     unsigned style);

} // namespace krv
