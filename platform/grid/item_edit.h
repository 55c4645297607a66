#pragma once
// The in-place editor of the grid: an edit control (CCellArrayEdit) and the editor item that
// wraps it. The grid places, shows and fills the editor over the edited cell and, when editing
// ends, takes the cell's new text from the item's getText, which users of the grid override.

#include <QLineEdit>
#include <QPointer>
#include <QRect>
#include <QString>

namespace krv {

// Reports Enter and Escape, and a click or Tab away from it, to the grid that shows it.
class CCellArrayEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CCellArrayEdit(QWidget* parent);

signals:
    void accepted();
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class CItemEdit {
public:
    CItemEdit() = default;
    CItemEdit(const CItemEdit&) = delete;
    CItemEdit& operator=(const CItemEdit&) = delete;
    // The edit control is a child of the grid and goes with it.
    virtual ~CItemEdit() = default;

    // Creates the hidden edit control as a child of parent.
    virtual void create(QWidget* parent);
    virtual void show(bool visible);
    virtual void move(const QRect& rect);
    // The edit control, or null before create (or after its parent went).
    virtual QWidget* getWindow() const;
    // The text that ends up in the edited cell; empty leaves the cell as it was.
    virtual QString getText();
    virtual void setText(const QString& text);

protected:
    CCellArrayEdit* edit() const { return edit_; }

private:
    QPointer<CCellArrayEdit> edit_;
};

} // namespace krv
