#pragma once
// The controls of a dialog template, created as Qt widgets at the template's rectangles
// (dialog units converted with the dialog's font) and found again by their ids.

#include "app/dialog_template.h"
#include "platform/qt/dialog_units.h"

#include <QSize>
#include <map>
#include <string>

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace krv {

class CSpinButton;

class CDialogControls {
public:
    // Creates every control of the template as a child of dialog (whose font must be set).
    CDialogControls(QWidget* dialog, const DialogTemplate& dialogTemplate);

    QSize clientSize() const { return clientSize_; }
    const CDialogUnits& units() const { return units_; }

    QWidget* control(int id) const;
    QLineEdit* edit(int id) const;
    QAbstractButton* button(int id) const;
    CSpinButton* spin(int id) const;

    std::u16string text(int id) const;
    void setText(int id, const std::u16string& text);

    // Deletes the placeholder static with this id and returns its rectangle in pixels, where
    // the custom control that replaces it goes.
    QRect removePlaceholder(int id);

private:
    CDialogUnits units_;
    QSize clientSize_;
    std::map<int, QWidget*> controls_;
};

} // namespace krv
