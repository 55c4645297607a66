#pragma once
// The live chart window: a widget whose client area plots the series against a shared x axis
// and whose bottom edge holds a horizontal scroll bar. Every paint draws into an off-screen
// image the size of the client area and copies it to the window once.

#include "chart/line_stamps.h"
#include "chart/scroll_chart_model.h"

#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

class QColor;
class QPainter;
class QScrollBar;

namespace krv {

template <class T> class CScrollChart : public QWidget {
public:
    using Model = CScrollChartModel<T>;

    static constexpr int kCreateFontPixels = 15;
    // New samples move the scroll bar at most this often: its repaint costs more than the
    // chart's own and the thumb moves a pixel in minutes.
    static constexpr int kScrollBarRefreshMs = 250;

    CScrollChart();

    // Becomes a child of parent in rect (scroll bar included) and takes its initial state.
    // False when parent is null or the chart was already created.
    bool create(const QRect& rect, QWidget* parent, int controlId, bool visible = true);
    void showGrid(bool on);
    std::uint32_t setMaxSamples(std::uint32_t maxSamples);
    bool addSeries(std::uint32_t id, ChartFormatter formatter, const QColor& colour,
                   std::uint32_t styleWord, int penWidth, int visible);
    // redraw = false lets the caller add a batch and repaint once with updatePlot(). The scroll
    // bar follows within kScrollBarRefreshMs.
    bool addSample(std::uint32_t id, T x, T y, bool redraw);
    bool clear();
    // A scroll-bar request as the bar's actions deliver it; position is the thumb (0..1000).
    void scroll(ScrollRequest request, int position);
    void updateScrollBar();
    // Repaints the plotting area alone: the scroll bar repaints only when it changes.
    void updatePlot() { update(clientRect()); }

    PixelPoint toPixel(T x, T y) const { return model_.toPixel(x, y, clientSize()); }
    const Model& model() const { return model_; }
    QScrollBar* scrollBar() const { return scrollBar_; }
    // The plotting area: the widget above the scroll bar.
    QRect clientRect() const;
    const QFont& labelFont() const { return labelFont_; }
    int controlId() const { return controlId_; }

    // Drawn over the plot (lines, labels) in every frame: a scale, a legend.
    void setOverlay(std::function<void(QPainter&, const QRect& client)> overlay) {
        overlay_ = std::move(overlay);
    }
    void setShownValues(T low, T high) {
        model_.setShownValues(low, high);
        updatePlot();
    }

    // Draws the whole client area into the off-screen frame and returns it.
    const QImage& renderFrame();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ClientSize clientSize() const;
    void layoutScrollBar();
    void onScrollBarAction(int action);
    void setLabelFontPixels(int pixels);
    void drawGrid(QPainter& painter, ClientSize client) const;
    void drawSeries(QPainter& painter, ClientSize client);
    void drawLabels(QPainter& painter, ClientSize client) const;
    void drawBorder(QPainter& painter, ClientSize client) const;

    Model model_;
    QScrollBar* scrollBar_;
    QTimer scrollBarRefresh_;
    QFont labelFont_;
    QImage frame_;
    LineStamps lineStamps_;
    int controlId_ = 0;
    bool created_ = false;
    // The resize that makes the new window visible keeps the font create() chose.
    bool creationResizePending_ = false;
    QSize createdSize_;
    std::function<void(QPainter&, const QRect&)> overlay_;
};

extern template class CScrollChart<float>;

} // namespace krv
