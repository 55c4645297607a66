#pragma once
// The keys of the map's block operations and views, and their entries in the map's context
// menu, from one table so the menu shows the keys that work. The keys reach the map from any
// control of the window except one that takes typed text: a letter or a digit typed into a
// field stays there.

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <functional>
#include <string_view>
#include <vector>

class QKeyEvent;
class QMenu;
class QWidget;

namespace krv {

class CMapBlockCommands;
class CMapEmu1;
class CMapViews;

class CMapBlockKeys : public QObject {
    Q_OBJECT
public:
    // Installs itself on the application for the keys of window and its controls.
    CMapBlockKeys(CMapBlockCommands& commands, CMapViews& views, CMapEmu1& grid, QWidget& window);
    ~CMapBlockKeys() override;

    // The entries, after what the menu already holds.
    void addTo(QMenu& menu) const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Pad { any, keypad, main };
    struct Chord {
        int key;
        Qt::KeyboardModifiers modifiers; // of Ctrl and Shift
        Pad pad = Pad::any;
    };
    struct Entry {
        std::u16string_view caption;
        QKeySequence shown; // what the menu shows beside the caption
        std::vector<Chord> chords;
        std::function<void()> run;
        bool separatorBefore = false;
        double stepVolts = 0; // a step's size, named in the menu beside the caption
    };
    static bool matches(const Chord& chord, const QKeyEvent& key);

    std::vector<Entry> entries_;
    QPointer<CMapEmu1> grid_;
    QPointer<QWidget> window_;
};

} // namespace krv
