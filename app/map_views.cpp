#include "app/map_views.h"

#include "app/map_keeper.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "map/map_compare.h"
#include "map/map_emu1.h"
#include "map/map_surface_view.h"
#include "platform/text.h"

#include <QDateTime>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace {

// The 3D view's size where the screen has room; a title bar and borders around it.
constexpr int kSurfaceWidth = 720;
constexpr int kSurfaceHeight = 540;
constexpr int kFrameAllowance = 30;

} // namespace

namespace krv {

CMapViews::CMapViews(CMapKeeper& keeper, CMapEmu1& grid, QWidget& window,
                     std::function<void(const std::u16string&)> note)
    : keeper_(keeper), grid_(grid), window_(window), note_(std::move(note)) {}

void CMapViews::toggleSurface() {
    if (surface_ == nullptr) {
        // A window of its own, closed with the main window.
        surface_ = new CMapSurfaceView(grid_.model(), grid_, &window_);
        surface_->setWindowFlag(Qt::Window);
        placeBeside(*surface_);
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
    const auto changed = keeper_.lastChangeTime();
    if (!changed) {
        note_(translate(texts::kDifferencesNone));
        return;
    }
    const QString time =
        QDateTime::fromSecsSinceEpoch(
            std::chrono::duration_cast<std::chrono::seconds>(changed->time_since_epoch()).count())
            .toString(QStringLiteral("HH:mm:ss"));
    note_(fillIn(translate(texts::kDifferencesAgainst), {time.toStdU16String()}) + u"; " +
          translate(texts::kDifferencesLegend));
}

void CMapViews::placeBeside(QWidget& view) const {
    // Beside the main window where the screen has room, else right of the map over the
    // window's buttons: the map stays in sight either way.
    const QScreen* screen = window_.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect free = screen->availableGeometry();
    const QRect main = window_.frameGeometry();
    const int besideWindow = free.right() - main.right() - kFrameAllowance;
    if (besideWindow >= kSurfaceWidth * 2 / 3) {
        view.resize(std::min(besideWindow, kSurfaceWidth),
                    std::min(free.height() - kFrameAllowance, kSurfaceHeight));
        view.move(main.right() + 1, std::max(free.top(), main.top()));
        return;
    }
    const int mapRight = grid_.mapToGlobal(QPoint(grid_.width(), 0)).x();
    const int width = std::max(free.right() - mapRight - kFrameAllowance / 2, view.minimumWidth());
    view.resize(width, std::max(free.height() - kFrameAllowance, view.minimumHeight()));
    view.move(std::max(free.left(), free.right() - width - kFrameAllowance / 2 + 1), free.top());
}

} // namespace krv
