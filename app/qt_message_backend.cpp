#include "app/qt_message_backend.h"

#include "platform/qt/message_box.h"

namespace krv {

CQtMessageBackend::CQtMessageBackend() : previous_(setMessageBackend(this)) {}

CQtMessageBackend::~CQtMessageBackend() {
    setMessageBackend(previous_);
}

int CQtMessageBackend::show(MessageOwner owner, const std::u16string& text,
                            const std::u16string& caption, unsigned style) {
    // The core hands its owner over as an opaque pointer; only the main window is trusted.
    return gate_.call<int>(
        [this, owner, text, caption, style] {
            QWidget* parent = owner != nullptr ? mainWindow_.data() : nullptr;
            return showQtMessageBox(parent, text, caption, style);
        },
        defaultButton(style));
}

} // namespace krv
