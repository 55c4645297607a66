#pragma once
// Solid lines between whole pixels, drawn by copying the pixels Qt's rasteriser gave the same
// line once before. Without antialiasing and without a transform, the pixels of such a line
// depend only on its extent and the pen, not on where it starts, so a chart of many short
// segments costs a few stored pixel runs each instead of a rasterisation each.

#include "chart/chart_geometry.h"

#include <QImage>
#include <QLine>
#include <QList>
#include <QPen>
#include <cstdint>
#include <unordered_map>
#include <vector>

class QPainter;

namespace krv {

class LineStamps {
public:
    // Draws the segments joining consecutive points of path with the painter's pen, as
    // QPainter::drawLines would. Segments the stamps cannot reproduce exactly (near the edges
    // of the image, long ones that are not upright, other pens, other devices) go to the
    // painter.
    void drawPath(QPainter& painter, const std::vector<PixelPoint>& path);

private:
    struct Run {
        std::int16_t row = 0;
        std::int16_t left = 0;
        std::int16_t length = 0;
    };
    struct Stamp {
        bool made = false;
        // The stamp's runs in runs_ of its table.
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        // Pixel bounds relative to the line's start, inclusive.
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };
    // The stamps of one pen width, indexed by the segment's extent.
    struct Table {
        std::vector<Stamp> stamps;
        std::vector<Run> runs;
    };

    // The image the painter paints on, when its lines can be stamped there.
    static QImage* stampableImage(QPainter& painter);
    Table& table(int width);
    // The image's pixels and what a path's segments share.
    struct Canvas {
        uchar* bits;
        qsizetype stride;
        int height;
        // Stamps go only where Qt would not clip: pen-wide margins to spare.
        int lastColumn;
        int lastRow;
        int margin;
        QRgb colour;
        const QPen& pen;
    };

    // One segment from its stamp, or into unstamped_ for the painter.
    void stampSegment(const Canvas& canvas, Table& shapes, PixelPoint from, PixelPoint to);
    const Stamp& stamp(Table& table, const QPen& pen, int dx, int dy);

    std::unordered_map<int, Table> tables_;
    QImage scratch_;
    QList<QLine> unstamped_;
};

} // namespace krv
