#include "app/dialog_controls.h"

#include "app/spin_button.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

namespace krv {

namespace {

QLabel* label(QWidget* parent, Qt::Alignment horizontal) {
    auto* widget = new QLabel(parent);
    // Static text sits at the top of its rectangle, as the template's designer placed it.
    widget->setAlignment(horizontal | Qt::AlignTop);
    widget->setWordWrap(true);
    return widget;
}

QPushButton* pushButton(QWidget* parent, bool isDefault) {
    auto* button = new QPushButton(parent);
    // Enter presses only the default button; other buttons never take it over by focus.
    button->setAutoDefault(isDefault);
    button->setDefault(isDefault);
    return button;
}

QWidget* createControl(QWidget* parent, ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
        return pushButton(parent, false);
    case ControlKind::DefaultPushButton:
        return pushButton(parent, true);
    case ControlKind::Label:
        return label(parent, Qt::AlignLeft);
    case ControlKind::LabelCentred:
        return label(parent, Qt::AlignHCenter);
    case ControlKind::LabelRight:
        return label(parent, Qt::AlignRight);
    case ControlKind::Placeholder: {
        QLabel* placeholder = label(parent, Qt::AlignLeft);
        placeholder->setFrameShape(QFrame::Box);
        return placeholder;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(parent);
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(parent);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Opaque in the window's colour: a new reading repaints the field alone, not the group
        // frame and the window under its rounded corners ten times a second.
        edit->setAutoFillBackground(true);
        edit->setBackgroundRole(QPalette::Window);
        return edit;
    }
    case ControlKind::UpDown:
        return new CSpinButton(parent);
    }
    throw std::logic_error("unknown control kind");
}

QString toQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

void setWidgetText(QWidget* widget, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* labelWidget = qobject_cast<QLabel*>(widget)) {
        labelWidget->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    }
}

QString widgetText(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* labelWidget = qobject_cast<const QLabel*>(widget)) {
        return labelWidget->text();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return group->title();
    }
    return {};
}

} // namespace

CDialogControls::CDialogControls(QWidget* dialog, const DialogTemplate& dialogTemplate)
    : units_(dialog->font()), clientSize_(units_.toPixelsX(dialogTemplate.dialogUnits.width()),
                                          units_.toPixelsY(dialogTemplate.dialogUnits.height())) {
    for (const ControlTemplate& entry : dialogTemplate.controls) {
        QWidget* widget = createControl(dialog, entry.kind);
        widget->setGeometry(units_.toPixels(entry.dialogUnits));
        setWidgetText(widget, toQString(entry.caption));
        if (entry.id != kNoId) {
            widget->setObjectName(QStringLiteral("control%1").arg(entry.id));
            controls_[entry.id] = widget;
        }
    }
}

QWidget* CDialogControls::control(int id) const {
    const auto found = controls_.find(id);
    if (found == controls_.end()) {
        throw std::out_of_range("no control with id " + std::to_string(id));
    }
    return found->second;
}

QLineEdit* CDialogControls::edit(int id) const {
    return qobject_cast<QLineEdit*>(control(id));
}

QAbstractButton* CDialogControls::button(int id) const {
    return qobject_cast<QAbstractButton*>(control(id));
}

CSpinButton* CDialogControls::spin(int id) const {
    return qobject_cast<CSpinButton*>(control(id));
}

std::u16string CDialogControls::text(int id) const {
    return widgetText(control(id)).toStdU16String();
}

void CDialogControls::setText(int id, const std::u16string& text) {
    setWidgetText(control(id), QString::fromStdU16String(text));
}

QRect CDialogControls::removePlaceholder(int id) {
    QWidget* placeholder = control(id);
    const QRect rect = placeholder->geometry();
    controls_.erase(id);
    delete placeholder;
    return rect;
}

} // namespace krv
