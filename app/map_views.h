#pragma once
// The map's other views, both following the model: the 3D surface in a window of its own, and
// the grid coloured by what the newest change still in effect did to each cell.

#include "map/map_surface_view.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

class QWidget;

namespace krv {

class CMapEmu1;
class CMapKeeper;

class CMapViews : public QObject {
    Q_OBJECT
public:
    // note shows a line in the window's status: what the difference view compares with.
    CMapViews(CMapKeeper& keeper, CMapEmu1& grid, QWidget& window,
              std::function<void(const std::u16string&)> note);

    void toggleSurface();
    // Null until first shown.
    CMapSurfaceView* surface() const { return surface_; }

    void toggleDifferences();
    bool showingDifferences() const { return differences_; }

    // After every change of what the model shows (the grid has been filled from it).
    void modelChanged();

private:
    void markDifferences();
    void placeBeside(QWidget& view) const;

    CMapKeeper& keeper_;
    CMapEmu1& grid_;
    QWidget& window_;
    std::function<void(const std::u16string&)> note_;
    QPointer<CMapSurfaceView> surface_;
    bool differences_ = false;
};

} // namespace krv
