#pragma once
// The points of a series' line with the samples of a crowded pixel column folded into four:
// the first, the highest and the lowest (whichever way round is shorter) and the last. Every
// segment between two samples of one column lies on that column between its highest and lowest
// point, and so do the folded path's, so it is drawn onto the same pixels while its length is
// bounded by the width of the window however many samples are in view. A crowded column's
// samples are not placed on pixels one by one: its end is searched for and its y range comes
// from the samples' blocks (chart/chart_samples.h). A column of up to four samples keeps them
// all, so a sparse view costs what it did before.

#include "chart/chart_geometry.h"
#include "chart/chart_samples.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace krv {

// Appends a point unless it repeats the last one: neighbours on one pixel add nothing to the
// picture but drawing time.
inline void appendPoint(std::vector<PixelPoint>& path, PixelPoint point) {
    if (path.empty() || !(path.back() == point)) {
        path.push_back(point);
    }
}

// The end of a column known to hold `inside` and, if it is not `end`, not `beyond`. The first
// look is `guess` samples on from `inside` (samples come about evenly, so as many as the column
// before held); from there steps double away until the end is fenced in, then halve.
template <class Iterator, class InColumn>
Iterator columnEnd(Iterator inside, Iterator end,
                   typename std::iterator_traits<Iterator>::difference_type guess,
                   const InColumn& inColumn) {
    using Distance = typename std::iterator_traits<Iterator>::difference_type;
    Iterator beyond = end;
    if (guess > 0 && guess < end - inside) {
        const Iterator look = inside + guess;
        (inColumn(*look) ? inside : beyond) = look;
    }
    if (beyond == end) {
        for (Distance step = 1; step < end - inside; step *= 2) {
            if (!inColumn(*(inside + step))) {
                beyond = inside + step;
                break;
            }
            inside += step;
        }
    } else {
        for (Distance step = 1; step < beyond - inside; step *= 2) {
            if (inColumn(*(beyond - step))) {
                inside = beyond - step;
                break;
            }
            beyond -= step;
        }
    }
    return std::partition_point(std::next(inside), beyond, inColumn);
}

// [begin, end): samples of `samples`. place(sample) gives the pixel of a sample, whose column,
// columnOf(x), never decreases as x grows; its row moves one way only as y grows.
template <class T, class ColumnOf, class Place>
std::vector<PixelPoint> columnPath(const ChartSamples<T>& samples,
                                   typename ChartSamples<T>::const_iterator begin,
                                   typename ChartSamples<T>::const_iterator end,
                                   const ColumnOf& columnOf, const Place& place) {
    using Iterator = typename ChartSamples<T>::const_iterator;
    constexpr int kKept = 4;
    std::vector<PixelPoint> path;
    typename std::iterator_traits<Iterator>::difference_type crowd = 0; // the last crowded column's
    Iterator column = begin;
    PixelPoint first = column == end ? PixelPoint{} : place(*column);
    while (column != end) {
        // A column's samples one by one, up to kKept of them.
        PixelPoint kept[kKept] = {first};
        int count = 1;
        Iterator next = std::next(column);
        PixelPoint nextPoint{};
        for (; next != end; ++next) {
            nextPoint = place(*next);
            if (nextPoint.x != first.x || count == kKept) {
                break;
            }
            kept[count++] = nextPoint;
        }
        if (next == end || nextPoint.x != first.x) {
            std::for_each(kept, kept + count,
                          [&path](PixelPoint point) { appendPoint(path, point); });
            column = next;
            first = nextPoint;
            continue;
        }
        // Crowded: `next` is in it too.
        const auto inColumn = [&](const auto& sample) { return columnOf(sample.first) == first.x; };
        const Iterator stop = columnEnd(next, end, crowd - (next - column), inColumn);
        crowd = stop - column;
        const auto [low, high] = samples.yRange(column, stop);
        PixelPoint top = place({column->first, high});
        PixelPoint bottom = place({column->first, low});
        const PixelPoint last = place(*std::prev(stop));
        if (std::abs(first.y - bottom.y) + std::abs(top.y - last.y) <
            std::abs(first.y - top.y) + std::abs(bottom.y - last.y)) {
            std::swap(top, bottom); // whichever way round draws less over itself
        }
        for (const PixelPoint point : {first, top, bottom, last}) {
            appendPoint(path, point);
        }
        column = stop;
        first = column == end ? PixelPoint{} : place(*column);
    }
    return path;
}

} // namespace krv
