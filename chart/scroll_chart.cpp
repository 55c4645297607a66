#include "chart/scroll_chart.h"

#include <QFontMetrics>
#include <QList>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

namespace krv {

namespace {

QColor toQColor(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// Pen styles by their Windows numbers.
enum PenStyle : int { kSolid = 0, kDash = 1, kDot = 2, kDashDot = 3, kDashDotDot = 4, kNull = 5 };

// Dash lengths as Windows draws them. Windows draws the broken styles only with pens of at
// most one pixel; wider pens come out solid. Square caps stand in for the round ones: for the
// thin pens of the chart they cover the same pixels, and they keep Qt on its fast line
// rasteriser instead of its general path stroker.
QPen chartPen(int penStyle, int width, const QColor& colour) {
    QPen pen(colour, std::max(width, 0), Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    if (penStyle == kNull) {
        pen.setStyle(Qt::NoPen);
        return pen;
    }
    if (width > 1) {
        return pen;
    }
    switch (penStyle) {
    case kDash:
        pen.setDashPattern({18, 6});
        break;
    case kDot:
        pen.setDashPattern({3, 3});
        break;
    case kDashDot:
        pen.setDashPattern({9, 6, 3, 6});
        break;
    case kDashDotDot:
        pen.setDashPattern({9, 3, 3, 3, 3, 3});
        break;
    default:
        break; // solid, and any number Windows does not know
    }
    return pen;
}

} // namespace

template <class T>
CScrollChart<T>::CScrollChart() : scrollBar_(new QScrollBar(Qt::Horizontal, this)) {
    // The frame covers the whole client area, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A window's own scroll bar never takes the keyboard focus.
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    scrollBar_->setSingleStep(10);
    scrollBarRefresh_.setSingleShot(true);
    scrollBarRefresh_.setInterval(kScrollBarRefreshMs);
    QObject::connect(&scrollBarRefresh_, &QTimer::timeout, this, [this] { updateScrollBar(); });
    QObject::connect(scrollBar_, &QAbstractSlider::actionTriggered, this,
                     [this](int action) { onScrollBarAction(action); });
    QObject::connect(scrollBar_, &QAbstractSlider::sliderReleased, this, [this] {
        scroll(ScrollRequest::ThumbPosition, scrollBar_->sliderPosition());
        scroll(ScrollRequest::EndScroll, 0);
    });
}

template <class T>
bool CScrollChart<T>::create(const QRect& rect, QWidget* parent, int controlId, bool visible) {
    if (created_ || parent == nullptr) {
        return false;
    }
    setParent(parent);
    setGeometry(rect);
    layoutScrollBar();
    controlId_ = controlId;
    model_.create();
    updateScrollBar();
    setLabelFontPixels(kCreateFontPixels);
    creationResizePending_ = true;
    createdSize_ = rect.size();
    created_ = true;
    if (visible) {
        show();
    }
    return true;
}

template <class T> void CScrollChart<T>::showGrid(bool on) {
    model_.showGrid(on);
    updatePlot();
}

template <class T> std::uint32_t CScrollChart<T>::setMaxSamples(std::uint32_t maxSamples) {
    const std::uint32_t previous = model_.setMaxSamples(maxSamples);
    if (maxSamples != previous) {
        updatePlot();
    }
    return previous;
}

template <class T>
bool CScrollChart<T>::addSeries(std::uint32_t id, ChartFormatter formatter, const QColor& colour,
                                std::uint32_t styleWord, int penWidth, int visible) {
    const Rgb rgb{static_cast<std::uint8_t>(colour.red()),
                  static_cast<std::uint8_t>(colour.green()),
                  static_cast<std::uint8_t>(colour.blue())};
    return model_.addSeries(id, std::move(formatter), rgb, styleWord, penWidth, visible);
}

template <class T> bool CScrollChart<T>::addSample(std::uint32_t id, T x, T y, bool redraw) {
    if (!model_.addSample(id, x, y)) {
        return false;
    }
    if (redraw) {
        updatePlot();
    }
    if (!scrollBarRefresh_.isActive()) {
        scrollBarRefresh_.start();
    }
    return true;
}

template <class T> bool CScrollChart<T>::clear() {
    model_.clear();
    updatePlot();
    updateScrollBar();
    return true;
}

template <class T> void CScrollChart<T>::scroll(ScrollRequest request, int position) {
    if (!model_.scroll(request, position)) {
        return;
    }
    updatePlot();
    updateScrollBar();
}

template <class T> void CScrollChart<T>::updateScrollBar() {
    scrollBarRefresh_.stop();
    const ScrollBarState state = model_.scrollBar();
    // Windows counts the page inside the range (last position = maximum - page + 1); Qt adds
    // the page outside the range.
    const int page = std::clamp(state.page, 1, state.maximum - state.minimum + 1);
    scrollBar_->setPageStep(page);
    scrollBar_->setRange(state.minimum, state.maximum - page + 1);
    scrollBar_->setValue(state.position);
}

template <class T> void CScrollChart<T>::onScrollBarAction(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        scroll(ScrollRequest::LineLeft, 0);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        scroll(ScrollRequest::LineRight, 0);
        break;
    case QAbstractSlider::SliderPageStepSub:
        scroll(ScrollRequest::PageLeft, 0);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        scroll(ScrollRequest::PageRight, 0);
        break;
    case QAbstractSlider::SliderMove:
        scroll(ScrollRequest::ThumbTrack, scrollBar_->sliderPosition());
        break;
    case QAbstractSlider::SliderToMinimum:
        scroll(ScrollRequest::Left, 0);
        break;
    case QAbstractSlider::SliderToMaximum:
        scroll(ScrollRequest::Right, 0);
        break;
    default:
        break;
    }
    // The bar applies its own action once this returns; the chart alone decides the thumb.
    scrollBar_->setSliderPosition(scrollBar_->value());
}

template <class T> QRect CScrollChart<T>::clientRect() const {
    return QRect(0, 0, width(), std::max(height() - scrollBar_->sizeHint().height(), 0));
}

template <class T> ClientSize CScrollChart<T>::clientSize() const {
    const QRect client = clientRect();
    return {client.width(), client.height()};
}

template <class T> void CScrollChart<T>::layoutScrollBar() {
    const int barHeight = std::min(scrollBar_->sizeHint().height(), height());
    scrollBar_->setGeometry(0, height() - barHeight, width(), barHeight);
}

template <class T> void CScrollChart<T>::setLabelFontPixels(int pixels) {
    // The platform's default sans-serif face stands in for "MS Sans Serif".
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    labelFont_ = font;
}

template <class T> void CScrollChart<T>::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutScrollBar();
    if (!created_) {
        return;
    }
    const bool creationResize = creationResizePending_ && event->size() == createdSize_;
    creationResizePending_ = false;
    if (!creationResize) {
        const ClientSize client = clientSize();
        setLabelFontPixels(labelFontPixelHeight(client.width, client.height));
    }
}

template <class T> void CScrollChart<T>::paintEvent(QPaintEvent*) {
    const QImage& frame = renderFrame();
    QPainter painter(this);
    painter.drawImage(0, 0, frame);
}

template <class T> const QImage& CScrollChart<T>::renderFrame() {
    const ClientSize client = clientSize();
    if (frame_.width() != client.width || frame_.height() != client.height) {
        frame_ = QImage(client.width, client.height, QImage::Format_RGB32);
    }
    if (frame_.isNull()) {
        return frame_;
    }
    QPainter painter(&frame_);
    const QColor background = toQColor(model_.background());
    // Opaque, as on Windows: text and the gaps of broken lines get the background colour.
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(background);
    painter.fillRect(0, 0, client.width, client.height, background);
    if (model_.gridVisible()) {
        drawGrid(painter, client);
    }
    drawSeries(painter, client);
    if (!model_.series().empty()) {
        drawLabels(painter, client);
    }
    if (overlay_) {
        painter.save();
        overlay_(painter, QRect(0, 0, client.width, client.height));
        painter.restore();
    }
    drawBorder(painter, client);
    return frame_;
}

template <class T> void CScrollChart<T>::drawGrid(QPainter& painter, ClientSize client) const {
    painter.setPen(chartPen(kDot, 1, Qt::black));
    for (const int y : model_.horizontalGridLines(client)) {
        painter.drawLine(0, y, client.width, y);
    }
    for (const int x : model_.verticalGridLines(client)) {
        painter.drawLine(x, 0, x, client.height);
    }
}

template <class T> void CScrollChart<T>::drawSeries(QPainter& painter, ClientSize client) {
    for (const auto& entry : model_.series()) {
        const auto& series = entry.second;
        if (series.samples.empty() || !series.visible) {
            continue;
        }
        const QColor colour = toQColor(series.colour);
        painter.setPen(chartPen(series.penStyle, series.penWidth, colour));
        painter.setBrush(colour);
        const std::vector<PixelPoint> path = model_.seriesPath(series, client);
        // Separate segments, as line-to draws them.
        lineStamps_.drawPath(painter, path);
        if (series.markers) {
            const int radius = series.penWidth + 2;
            for (const PixelPoint& point : path) {
                painter.drawEllipse(
                    QRect(point.x - radius, point.y - radius, 2 * radius, 2 * radius));
            }
        }
    }
    painter.setBrush(Qt::NoBrush);
}

template <class T> void CScrollChart<T>::drawLabels(QPainter& painter, ClientSize client) const {
    painter.setFont(labelFont_);
    const QFontMetrics metrics(labelFont_);
    const auto textWidth = [&metrics](std::u16string_view text) {
        return metrics.horizontalAdvance(
            QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    };
    for (const ChartLabel& label : model_.labels(client, textWidth)) {
        painter.setPen(toQColor(label.colour));
        const QRect rect(QPoint(label.rect.left, label.rect.top),
                         QPoint(label.rect.right - 1, label.rect.bottom - 1));
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
                         QString::fromStdU16String(label.text));
    }
}

template <class T> void CScrollChart<T>::drawBorder(QPainter& painter, ClientSize client) const {
    // QPalette::Dark is the button-shadow colour of the Windows palette.
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    const int right = client.width - 1;
    const int bottom = client.height - 1;
    const QPoint corners[] = {{0, bottom}, {right, bottom}, {right, 0}, {0, 0}, {0, bottom}};
    painter.drawPolyline(corners, 5);
}

template class CScrollChart<float>;

} // namespace krv
