#include "map/map_surface_view.h"

#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "map/map_array.h"
#include "platform/text.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <vector>

namespace krv {

namespace {

constexpr double kTopVolts = 5.1;         // the most a cell holds
constexpr double kDegreesPerPixel = 0.5;  // dragging
constexpr double kWheelZoomBase = 1.0015; // per eighth of a degree of wheel turn
const QColor kMarker(150, 0, 0);
const QColor kSelected(0, 170, 0);
const QColor kAxis(60, 60, 60);

QString qtext(std::u16string_view text) {
    return QString::fromStdU16String(std::u16string(text));
}

// Blue for an empty cell through green to red for a full one.
QColor heightColour(double volts) {
    const double share = std::clamp(volts / kTopVolts, 0.0, 1.0);
    return QColor::fromHsvF(static_cast<float>((1.0 - share) * 240.0 / 360.0), 0.55f, 0.95f);
}

} // namespace

CMapSurfaceView::CMapSurfaceView(const CControllerModel& model, CMapArray& grid, QWidget* parent)
    : QWidget(parent), model_(model), grid_(&grid),
      reset_(new QPushButton(QString::fromStdU16String(translate(texts::kMapSurfaceReset)), this)) {
    setWindowTitle(QString::fromStdU16String(translate(texts::kMap3dView)));
    setMinimumSize(320, 240);
    resize(720, 540);
    setAttribute(Qt::WA_OpaquePaintEvent);
    reset_->move(6, 6);
    reset_->adjustSize();
    connect(reset_, &QPushButton::clicked, this, &CMapSurfaceView::resetView);
    // Every change of the map, the selection or the operating point redraws the grid.
    grid.installEventFilter(this);
}

SurfaceProjection CMapSurfaceView::projection() const {
    SurfaceProjection projection = turn_;
    projection.columns = kMapColumns;
    projection.rows = kMapRows;
    projection.topValue = kTopVolts;
    projection.width = width();
    projection.height = height();
    return projection;
}

double CMapSurfaceView::valueAt(int column, int row) const {
    return units::mapCellVolts(
        model_.shown().cells[static_cast<size_t>(row) * kMapColumns + column]);
}

QPointF CMapSurfaceView::at(const SurfaceProjection& projection, double column, double row,
                            double value) const {
    const ProjectedPoint point = projection.project(column, row, value);
    return {point.x, point.y};
}

QPointF CMapSurfaceView::markerPoint() const {
    const int column = std::clamp(grid_ ? grid_->currentColumn() : 0, 0, kMapColumns - 1);
    const int row = std::clamp(grid_ ? grid_->currentRow() : 0, 0, kMapRows - 1);
    return at(projection(), column, row, valueAt(column, row));
}

void CMapSurfaceView::resetView() {
    turn_.reset();
    update();
}

bool CMapSurfaceView::eventFilter(QObject* watched, QEvent* event) {
    // The type first: a grid being destroyed still sends events, and reading grid_ then would
    // cast a half-destroyed widget.
    if (event->type() == QEvent::Paint && watched == grid_ && isVisible()) {
        update();
    }
    return false;
}

void CMapSurfaceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    const SurfaceProjection projection = this->projection();
    paintFrame(painter, projection);
    paintSurface(painter, projection);
    paintMarks(painter, projection);
    paintLabels(painter, projection); // over the surface, which would hide some
}

void CMapSurfaceView::paintSurface(QPainter& painter, const SurfaceProjection& projection) const {
    struct Patch {
        double depth;
        QPolygonF corners;
        double volts;
    };
    std::vector<Patch> patches;
    for (int r = 0; r + 1 < kMapRows; ++r) {
        for (int c = 0; c + 1 < kMapColumns; ++c) {
            Patch patch{0, {}, 0};
            for (const auto& [dc, dr] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
                const double volts = valueAt(c + dc, r + dr);
                const ProjectedPoint point = projection.project(c + dc, r + dr, volts);
                patch.corners << QPointF(point.x, point.y);
                patch.depth += point.depth / 4;
                patch.volts += volts / 4;
            }
            patches.push_back(patch);
        }
    }
    // Far patches first, so the near ones cover them.
    std::sort(patches.begin(), patches.end(),
              [](const Patch& a, const Patch& b) { return a.depth > b.depth; });
    painter.setPen(QPen(QColor(90, 90, 90), 0.8));
    for (const Patch& patch : patches) {
        painter.setBrush(heightColour(patch.volts));
        painter.drawPolygon(patch.corners);
    }
}

void CMapSurfaceView::paintFrame(QPainter& painter, const SurfaceProjection& projection) const {
    const int lastColumn = kMapColumns - 1;
    const int lastRow = kMapRows - 1;
    painter.setPen(QPen(kAxis, 1));
    painter.setBrush(Qt::NoBrush);
    // The base plane's outline, and the height axis standing on its first corner.
    const QPolygonF base{at(projection, 0, 0, 0), at(projection, lastColumn, 0, 0),
                         at(projection, lastColumn, lastRow, 0), at(projection, 0, lastRow, 0)};
    painter.drawPolygon(base);
    painter.drawLine(at(projection, 0, 0, 0), at(projection, 0, 0, kTopVolts));
}

void CMapSurfaceView::paintLabels(QPainter& painter, const SurfaceProjection& projection) const {
    const MapSnapshot shown = model_.shown();
    const int lastColumn = kMapColumns - 1;
    const int lastRow = kMapRows - 1;
    painter.setPen(QPen(kAxis, 1));
    const QFontMetrics metrics(font());
    const auto label = [&](QPointF point, const QString& text) {
        // Kept inside the view: a narrow window would cut the labels at its edges.
        const double left = std::clamp(point.x() - 40, 0.0, std::max(0.0, width() - 80.0));
        const QRectF box(left, point.y() - metrics.height() / 2.0, 80, metrics.height());
        painter.drawText(box, Qt::AlignCenter, text);
    };
    const double outside = 2.0; // cells beyond the edge the labels stand, clear of the surface
    for (int c = 0; c <= lastColumn; c += 2) {
        label(
            at(projection, c, -outside, 0),
            QString::fromStdU16String(formatText("%.0f", units::columnBreakRpm(shown.columns[c]))));
    }
    for (int r = 0; r <= lastRow; r += 3) {
        label(at(projection, -outside, r, 0),
              QString::fromStdU16String(formatText("%.2f", units::rowBreakVolts(shown.rows[r]))));
    }
    for (int volts = 1; volts <= 5; ++volts) {
        label(at(projection, -0.6, -0.6, volts), QString::number(volts));
    }
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    label(at(projection, lastColumn / 2.0, -2.4 * outside, 0), QStringLiteral("RPM"));
    label(at(projection, -2.4 * outside, lastRow / 2.0, 0), QStringLiteral("V"));
    label(at(projection, 0, 0, kTopVolts * 1.12), qtext(translate(texts::kMapSurfaceValueAxis)));
    painter.setFont(font());
}

void CMapSurfaceView::paintMarks(QPainter& painter, const SurfaceProjection& projection) const {
    if (grid_ == nullptr) {
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSelected);
    for (int r = 0; r < kMapRows && r < grid_->rowCount(); ++r) {
        for (int c = 0; c < kMapColumns && c < grid_->columnCount(); ++c) {
            if (grid_->cell(c, r).isSelected()) {
                painter.drawEllipse(at(projection, c, r, valueAt(c, r)), 4.0, 4.0);
            }
        }
    }
    // The operating point: a dot on the surface and a stem down to the base plane.
    const QPointF marker = markerPoint();
    const int column = std::clamp(grid_->currentColumn(), 0, kMapColumns - 1);
    const int row = std::clamp(grid_->currentRow(), 0, kMapRows - 1);
    painter.setPen(QPen(kMarker, 2));
    painter.drawLine(marker, at(projection, column, row, 0));
    painter.setBrush(kMarker);
    painter.drawEllipse(marker, 6.0, 6.0);
    // The cell's value at the controller's resolution.
    painter.drawText(marker + QPointF(10, -8),
                     QString::fromStdU16String(formatText("%.2f V", valueAt(column, row))));
}

void CMapSurfaceView::mousePressEvent(QMouseEvent* event) {
    dragFrom_ = event->position().toPoint();
}

void CMapSurfaceView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint now = event->position().toPoint();
    const QPoint moved = now - dragFrom_;
    dragFrom_ = now;
    turn_.rotate(moved.x() * kDegreesPerPixel, moved.y() * kDegreesPerPixel);
    update();
}

void CMapSurfaceView::mouseDoubleClickEvent(QMouseEvent*) {
    resetView();
}

void CMapSurfaceView::wheelEvent(QWheelEvent* event) {
    turn_.zoomBy(std::pow(kWheelZoomBase, event->angleDelta().y()));
    update();
}

} // namespace krv
