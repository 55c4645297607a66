#pragma once
// An up-down control as two arrow buttons. It keeps no value: each press (repeated while held)
// reports a signed step, up = -1 and down = +1, and the handler decides what it means.

#include <QWidget>

class QToolButton;

namespace krv {

class CSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButton(QWidget* parent);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void stepped(int delta);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace krv
