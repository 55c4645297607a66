#include "chart/line_stamps.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace krv {

namespace {

// Longer segments are rare (the ones leaving the window) and are left to the painter.
constexpr int kMaxExtent = 32;
constexpr int kSide = 2 * kMaxExtent + 1;
// Qt clips a line whose capped ends come near the edge of the device, which moves its pixels
// by rounding; such lines are left to it, with a pen-wide margin to spare.
int edgeMargin(int penWidth) {
    return penWidth + 2;
}
constexpr int kMaxPenWidth = 16;

// Wider pens are stamped only at even widths: the edges of such a line between whole pixels
// never pass through a pixel's centre, so rounding, which depends on where the line lies,
// cannot tip a pixel. Odd widths put edges on centres (x + 1.5 for width 3).
bool stampableWidth(int width) {
    return width <= 1 || (width % 2 == 0 && width <= kMaxPenWidth);
}

} // namespace

QImage* LineStamps::stampableImage(QPainter& painter) {
    QPaintDevice* const device = painter.device();
    // A redirected painter paints somewhere else than its device.
    if (device == nullptr || device->devType() != QInternal::Image ||
        painter.paintEngine()->paintDevice() != device) {
        return nullptr;
    }
    auto* const image = static_cast<QImage*>(device);
    const QPen& pen = painter.pen();
    const bool stampable =
        image->format() == QImage::Format_RGB32 && pen.style() == Qt::SolidLine &&
        pen.capStyle() == Qt::SquareCap && pen.brush().style() == Qt::SolidPattern &&
        pen.color().alpha() == 255 && pen.widthF() == pen.width() && stampableWidth(pen.width()) &&
        !painter.testRenderHint(QPainter::Antialiasing) &&
        painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
        painter.transform().isIdentity() && !painter.hasClipping() && painter.opacity() == 1.0;
    return stampable ? image : nullptr;
}

void LineStamps::drawPath(QPainter& painter, const std::vector<PixelPoint>& path) {
    if (path.size() < 2) {
        return;
    }
    unstamped_.clear();
    QImage* const image = stampableImage(painter);
    if (image == nullptr) {
        for (std::size_t i = 1; i < path.size(); ++i) {
            unstamped_.append(QLine(path[i - 1].x, path[i - 1].y, path[i].x, path[i].y));
        }
        painter.drawLines(unstamped_);
        return;
    }
    const QPen pen = painter.pen();
    const Canvas canvas{image->bits(),
                        image->bytesPerLine(),
                        image->height(),
                        image->width() - 1 - edgeMargin(pen.width()),
                        image->height() - 1 - edgeMargin(pen.width()),
                        edgeMargin(pen.width()),
                        pen.color().rgba(),
                        pen};
    Table& shapes = table(pen.width());
    const auto insideRows = [&canvas](int y) { return y >= 0 && y < canvas.height; };
    for (std::size_t i = 1; i < path.size(); ++i) {
        PixelPoint from = path[i - 1];
        PixelPoint to = path[i];
        // Upright strokes in a row within the picture, as a long log folded onto pixel columns
        // gives by the hundred, are the same pixels as one stroke over all of them, and that
        // as its pieces end to end: each is stamped.
        std::size_t upright = i;
        while (upright < path.size() && path[upright].x == from.x && insideRows(path[upright].y)) {
            ++upright;
        }
        if (upright > i + 1 && insideRows(from.y)) {
            const auto [top, bottom] =
                std::minmax_element(path.begin() + static_cast<std::ptrdiff_t>(i - 1),
                                    path.begin() + static_cast<std::ptrdiff_t>(upright),
                                    [](PixelPoint a, PixelPoint b) { return a.y < b.y; });
            from = *top;
            to = *bottom;
            i = upright - 1;
        }
        if (from.x == to.x && std::abs(to.y - from.y) > kMaxExtent && insideRows(from.y) &&
            insideRows(to.y)) {
            const int step = to.y > from.y ? kMaxExtent : -kMaxExtent;
            for (; std::abs(to.y - from.y) > kMaxExtent; from.y += step) {
                stampSegment(canvas, shapes, from, {from.x, from.y + step});
            }
        }
        stampSegment(canvas, shapes, from, to);
    }
    // One colour throughout: the order in which the segments land does not matter.
    if (!unstamped_.isEmpty()) {
        painter.drawLines(unstamped_);
    }
}

void LineStamps::stampSegment(const Canvas& canvas, Table& shapes, PixelPoint from, PixelPoint to) {
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    if (std::abs(dx) > kMaxExtent || std::abs(dy) > kMaxExtent) {
        unstamped_.append(QLine(from.x, from.y, to.x, to.y));
        return;
    }
    const Stamp& shape = stamp(shapes, canvas.pen, dx, dy);
    if (shape.count == 0) {
        return; // Qt draws nothing for it either
    }
    if (from.x + shape.left < canvas.margin || from.x + shape.right > canvas.lastColumn ||
        from.y + shape.top < canvas.margin || from.y + shape.bottom > canvas.lastRow) {
        unstamped_.append(QLine(from.x, from.y, to.x, to.y));
        return;
    }
    const Run* const runs = shapes.runs.data() + shape.first;
    for (std::uint32_t r = 0; r < shape.count; ++r) {
        auto* const line =
            reinterpret_cast<QRgb*>(canvas.bits + (from.y + runs[r].row) * canvas.stride);
        std::fill_n(line + from.x + runs[r].left, runs[r].length, canvas.colour);
    }
}

LineStamps::Table& LineStamps::table(int width) {
    Table& shapes = tables_[width];
    if (shapes.stamps.empty()) {
        shapes.stamps.resize(kSide * kSide);
    }
    return shapes;
}

const LineStamps::Stamp& LineStamps::stamp(Table& shapes, const QPen& pen, int dx, int dy) {
    Stamp& shape = shapes.stamps[(dy + kMaxExtent) * kSide + dx + kMaxExtent];
    if (shape.made) {
        return shape;
    }
    // The line drawn once by Qt, white on black, starting well inside a scratch image.
    const int origin = kMaxExtent + kMaxPenWidth + 3;
    if (scratch_.isNull()) {
        scratch_ = QImage(2 * origin + 1, 2 * origin + 1, QImage::Format_RGB32);
    }
    scratch_.fill(Qt::black);
    {
        QPainter painter(&scratch_);
        QPen white = pen;
        white.setColor(Qt::white);
        painter.setPen(white);
        painter.drawLine(origin, origin, origin + dx, origin + dy);
    }
    shape.made = true;
    shape.first = static_cast<std::uint32_t>(shapes.runs.size());
    shape.left = shape.top = scratch_.width();
    shape.right = shape.bottom = -scratch_.width();
    // Caps and sides reach at most half a pen width times the square root of two past the ends.
    const int reach = pen.width() + 2;
    const int right = std::max(0, dx) + reach;
    for (int y = std::min(0, dy) - reach; y <= std::max(0, dy) + reach; ++y) {
        const auto* const line = reinterpret_cast<const QRgb*>(scratch_.constScanLine(origin + y));
        int x = std::min(0, dx) - reach;
        while (x <= right) {
            if (line[origin + x] == 0xFF000000u) {
                ++x;
                continue;
            }
            const int start = x;
            while (x <= right && line[origin + x] != 0xFF000000u) {
                ++x;
            }
            shapes.runs.push_back({static_cast<std::int16_t>(y), static_cast<std::int16_t>(start),
                                   static_cast<std::int16_t>(x - start)});
            shape.left = std::min(shape.left, start);
            shape.right = std::max(shape.right, x - 1);
            shape.top = std::min(shape.top, y);
            shape.bottom = std::max(shape.bottom, y);
        }
    }
    shape.count = static_cast<std::uint32_t>(shapes.runs.size()) - shape.first;
    return shape;
}

} // namespace krv
