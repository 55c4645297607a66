#include "app/map_block_keys.h"

#include "app/map_block_commands.h"
#include "app/map_views.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "map/map_emu1.h"
#include "map/map_key_filter.h"
#include "platform/text.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace krv {

namespace {

constexpr double kStepVolts = kCellStepVolts;
constexpr double kShiftStepVolts = 0.1;

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

// A control the fitter types text into keeps every key it takes.
bool takesText(const QObject* watched) {
    if (qobject_cast<const QLineEdit*>(watched) != nullptr ||
        qobject_cast<const QAbstractSpinBox*>(watched) != nullptr ||
        qobject_cast<const QTextEdit*>(watched) != nullptr ||
        qobject_cast<const QPlainTextEdit*>(watched) != nullptr) {
        return true;
    }
    const auto* combo = qobject_cast<const QComboBox*>(watched);
    return combo != nullptr && combo->isEditable();
}

} // namespace

CMapBlockKeys::CMapBlockKeys(CMapBlockCommands& commands, CMapViews& views, CMapEmu1& grid,
                             QWidget& window)
    : grid_(&grid), window_(&window) {
    CMapBlockCommands* c = &commands;
    CMapViews* v = &views;
    // A letter works with and without Shift (Caps Lock and the capital the menu shows).
    const auto letter = [](int key) { return std::vector<Chord>{{key, kNone}, {key, kShift}}; };
    // '+' and '*' need Shift on the main keyboard: there Shift is the character's, so only the
    // keypad's Shift makes the bigger step (and '_', which is Shift with '-').
    entries_ = {
        {texts::kMapSetValue,
         QKeySequence(Qt::Key_Equal),
         {{Qt::Key_Equal, kNone}},
         [c] { c->askAndSet(); },
         true},
        {texts::kMapSetAverage, QKeySequence(Qt::Key_A), letter(Qt::Key_A),
         [c] { c->setToAverage(); }},
        {texts::kMapAdd, {}, {}, [c] { c->askAndAdd(); }},
        {texts::kMapStepUp,
         QKeySequence(Qt::Key_Plus),
         {{Qt::Key_Plus, kNone}, {Qt::Key_Plus, kShift, Pad::main}},
         [c] { c->add(kStepVolts); },
         false,
         kStepVolts},
        {texts::kMapStepDown,
         QKeySequence(Qt::Key_Minus),
         {{Qt::Key_Minus, kNone}},
         [c] { c->add(-kStepVolts); },
         false,
         kStepVolts},
        {texts::kMapStepUp,
         QKeySequence(Qt::SHIFT | Qt::Key_Plus),
         {{Qt::Key_Plus, kShift, Pad::keypad}},
         [c] { c->add(kShiftStepVolts); },
         false,
         kShiftStepVolts},
        {texts::kMapStepDown,
         QKeySequence(Qt::SHIFT | Qt::Key_Minus),
         {{Qt::Key_Minus, kShift}, {Qt::Key_Underscore, kShift}},
         [c] { c->add(-kShiftStepVolts); },
         false,
         kShiftStepVolts},
        {texts::kMapScale,
         QKeySequence(Qt::Key_Asterisk),
         {{Qt::Key_Asterisk, kNone}, {Qt::Key_Asterisk, kShift}},
         [c] { c->askAndScale(); }},
        {texts::kMapInterpolate, QKeySequence(Qt::Key_I), letter(Qt::Key_I),
         [c] { c->interpolate(Interpolation::bilinear); }, true},
        {texts::kMapInterpolateRows, QKeySequence(Qt::Key_H), letter(Qt::Key_H),
         [c] { c->interpolate(Interpolation::rows); }},
        {texts::kMapInterpolateColumns, QKeySequence(Qt::Key_V), letter(Qt::Key_V),
         [c] { c->interpolate(Interpolation::columns); }},
        {texts::kMapSmooth, QKeySequence(Qt::Key_S), letter(Qt::Key_S), [c] { c->smooth(); }},
        {texts::kMapCopy,
         QKeySequence(Qt::CTRL | Qt::Key_C),
         {{Qt::Key_C, kCtrl}},
         [c] { c->copy(); },
         true},
        {texts::kMapPaste,
         QKeySequence(Qt::CTRL | Qt::Key_V),
         {{Qt::Key_V, kCtrl}},
         [c] { c->paste(false); }},
        {texts::kMapPasteAdd,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V),
         {{Qt::Key_V, kCtrlShift}},
         [c] { c->paste(true); }},
        {texts::kMap3dView,
         QKeySequence(Qt::Key_F3),
         {{Qt::Key_F3, kNone}},
         [v] { v->toggleSurface(); },
         true},
        {texts::kMapDifferences, QKeySequence(Qt::Key_D), letter(Qt::Key_D),
         [v] { v->toggleDifferences(); }},
    };
    qApp->installEventFilter(this);
}

CMapBlockKeys::~CMapBlockKeys() {
    qApp->removeEventFilter(this);
}

void CMapBlockKeys::addTo(QMenu& menu) const {
    for (const Entry& entry : entries_) {
        if (entry.separatorBefore) {
            menu.addSeparator();
        }
        std::u16string caption = translate(entry.caption);
        if (entry.stepVolts > 0) {
            caption += formatText(" (%.2f V)", entry.stepVolts);
        }
        QAction* action = menu.addAction(QString::fromStdU16String(caption));
        action->setShortcut(entry.shown);
        connect(action, &QAction::triggered, this, entry.run);
    }
}

bool CMapBlockKeys::matches(const Chord& chord, const QKeyEvent& key) {
    const bool keypad = key.modifiers().testFlag(Qt::KeypadModifier);
    const Qt::KeyboardModifiers held =
        key.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    return key.key() == chord.key && held == chord.modifiers &&
           (chord.pad == Pad::any || keypad == (chord.pad == Pad::keypad));
}

bool CMapBlockKeys::eventFilter(QObject* watched, QEvent* event) {
    const QKeyEvent* key = keyPressIn(window_, watched, event);
    if (key == nullptr || grid_ == nullptr || takesText(watched) || grid_->isEditing() ||
        !grid_->isEnabled()) {
        return false;
    }
    for (const Entry& entry : entries_) {
        for (const Chord& chord : entry.chords) {
            if (matches(chord, *key)) {
                entry.run();
                return true;
            }
        }
    }
    return false;
}

} // namespace krv
