#pragma once
// The map's context menu (right click on the grid, or the Menu key anywhere in the window)
// and the keys that reach the map's history and files from any control: Ctrl+Z undo, Ctrl+Y
// and Ctrl+Shift+Z redo, Ctrl+S save, Ctrl+O load.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QMenu;
class QPoint;
class QWidget;

namespace krv {

class CMapEmu1;
class CMapKeeper;

class CMapMenu : public QObject {
    Q_OBJECT
public:
    // Installs itself on the application for the keys of window and its controls.
    CMapMenu(CMapKeeper& keeper, CMapEmu1& grid, QWidget& window);
    ~CMapMenu() override;

    // Entries other parts of the window add after the history's.
    void setMoreEntries(std::function<void(QMenu&)> add) { moreEntries_ = std::move(add); }
    // Entries at the menu's end, after the backups.
    void setLastEntries(std::function<void(QMenu&)> add) { lastEntries_ = std::move(add); }
    // The menu as it stands now (entries enabled by what the history and the view allow).
    std::unique_ptr<QMenu> buildMenu();
    // Opens the menu at a point of the grid and runs the chosen entry.
    void popUp(const QPoint& gridPoint);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // "Kalibruj z pliku..." runs command (the menu offers it once it is set, greyed while
    // available says no).
    void setCalibrateFromFile(std::function<void()> command, std::function<bool()> available);

private:
    CMapKeeper& keeper_;
    QPointer<CMapEmu1> grid_;
    QPointer<QWidget> window_;
    std::function<void()> calibrateFromFile_;
    std::function<bool()> calibrateFromFileAvailable_;
    std::function<void(QMenu&)> moreEntries_;
    std::function<void(QMenu&)> lastEntries_;
};

} // namespace krv
