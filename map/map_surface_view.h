#pragma once
// The map as a surface seen in 3D: the model's cells as heights over the speed and voltage
// axes, the live operating point marked and the grid's selection highlighted. Drag to turn it,
// the wheel zooms, the button or a double click brings the first view back. It follows the
// model and the grid whenever the grid redraws.

#include "connection/controller_model.h"
#include "map/surface_projection.h"

#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QWidget>

class QPainter;
class QPushButton;

namespace krv {

class CMapArray;

class CMapSurfaceView : public QWidget {
    Q_OBJECT
public:
    CMapSurfaceView(const CControllerModel& model, CMapArray& grid, QWidget* parent = nullptr);

    // The projection as the view draws with it now.
    SurfaceProjection projection() const;
    // Where the operating point's marker is drawn: over the grid's current cell.
    QPointF markerPoint() const;
    void resetView();

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double valueAt(int column, int row) const;
    QPointF at(const SurfaceProjection& projection, double column, double row, double value) const;
    void paintSurface(QPainter& painter, const SurfaceProjection& projection) const;
    void paintFrame(QPainter& painter, const SurfaceProjection& projection) const;
    void paintLabels(QPainter& painter, const SurfaceProjection& projection) const;
    void paintMarks(QPainter& painter, const SurfaceProjection& projection) const;

    const CControllerModel& model_;
    QPointer<CMapArray> grid_;
    SurfaceProjection turn_; // the turn and zoom the fitter chose; sizes come from the widget
    QPoint dragFrom_;
    QPushButton* reset_;
};

} // namespace krv
