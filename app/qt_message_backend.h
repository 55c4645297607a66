#pragma once
// The message helper's back end in the running program: a Qt message box. A box with an owner
// belongs to the main window; one without an owner stands on its own.

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

private:
    IMessageBackend* previous_;
    QPointer<QWidget> mainWindow_;
};

} // namespace krv
