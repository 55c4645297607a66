#pragma once
// The message helper's back end in the running program: a Qt message box. A box with an owner
// belongs to the main window; one without an owner stands on its own. A box asked for on the
// connection worker's thread is shown on the user-interface thread, and the worker waits for
// the answer while the window stays live.

#include "app/ui_gate.h"
#include "link/message.h"

#include <QPointer>
#include <QWidget>

namespace krv {

class CQtMessageBackend : public IMessageBackend {
public:
    // Installs itself for its lifetime.
    CQtMessageBackend();
    ~CQtMessageBackend() override;
    CQtMessageBackend(const CQtMessageBackend&) = delete;
    CQtMessageBackend& operator=(const CQtMessageBackend&) = delete;

    // The window that boxes with an owner belong to.
    void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

    int show(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
             unsigned style) override;

    // Once the window has closed, a box asked for from another thread answers with its
    // default button at once instead of waiting for a window that no longer runs.
    void closeWaits() { gate_.close(); }

private:
    CUiGate gate_;
    IMessageBackend* previous_;
    QPointer<QWidget> mainWindow_;
};

} // namespace krv
