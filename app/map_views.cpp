#include "app/map_views.h"

#include "app/map_keeper.h"
#include "map/map_compare.h"
#include "map/map_emu1.h"
#include "map/map_surface_view.h"

#include <QTimer>

namespace krv {

CMapViews::CMapViews(CMapKeeper& keeper, CMapEmu1& grid, QWidget& window)
    : keeper_(keeper), grid_(grid), window_(window) {}

void CMapViews::toggleSurface() {
    if (surface_ == nullptr) {
        // A window of its own, closed with the main window.
        surface_ = new CMapSurfaceView(grid_.model(), grid_, &window_);
        surface_->setWindowFlag(Qt::Window);
    }
    if (surface_->isVisible()) {
        surface_->hide();
        return;
    }
    surface_->show();
    surface_->raise();
}

void CMapViews::toggleDifferences() {
    differences_ = !differences_;
    if (differences_) {
        markDifferences();
        return;
    }
    grid_.setCellMarks({});
    grid_.fillFromModel(); // brings a comparison with a file back, if one was on
}

void CMapViews::modelChanged() {
    if (differences_) {
        // After the change that moved the model has been recorded for undo.
        QTimer::singleShot(0, this, [this] {
            if (differences_) {
                markDifferences();
            }
        });
    }
    if (surface_ != nullptr) {
        surface_->update();
    }
}

void CMapViews::markDifferences() {
    const MapSnapshot now = grid_.model().shown();
    grid_.setCellMarks(differenceMarks(now, keeper_.beforeLastChange().value_or(now)));
}

} // namespace krv
