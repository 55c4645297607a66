#pragma once
// The points of a series' line with the samples of each pixel column folded into at most four:
// the first, the highest and the lowest (whichever way round is shorter) and the last. Every
// segment between two samples of one column lies on that column between its highest and lowest
// point, and so do the folded path's, so it is drawn onto the same pixels while its length is
// bounded by the width of the window however many samples are in view. Only a column's ends
// are placed on pixels; its y range comes from the samples' blocks (chart/chart_samples.h).

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

// [begin, end): samples of `samples`. place(sample) gives the pixel of a sample, whose column,
// columnOf(x), never decreases as x grows; its row moves one way only as y grows.
template <class T, class ColumnOf, class Place>
std::vector<PixelPoint> columnPath(const ChartSamples<T>& samples,
                                   typename ChartSamples<T>::const_iterator begin,
                                   typename ChartSamples<T>::const_iterator end,
                                   const ColumnOf& columnOf, const Place& place) {
    using Iterator = typename ChartSamples<T>::const_iterator;
    std::vector<PixelPoint> path;
    const auto push = [&path](PixelPoint point) { appendPoint(path, point); };
    using Distance = typename std::iterator_traits<Iterator>::difference_type;
    Distance previousCount = 0;
    for (Iterator column = begin; column != end;) {
        const PixelPoint first = place(*column);
        const auto inColumn = [&](const auto& sample) { return columnOf(sample.first) == first.x; };
        // The column's end lies between the last sample known in it and the first known
        // beyond. Samples come about evenly, so the first look is where the column before
        // ended; from there steps double away until the end is fenced in, then halve.
        Iterator inside = column;
        Iterator beyond = end;
        if (previousCount > 1 && previousCount <= end - column) {
            const Iterator guess = column + (previousCount - 1);
            (inColumn(*guess) ? inside : beyond) = guess;
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
        const Iterator columnEnd = std::partition_point(std::next(inside), beyond, inColumn);
        previousCount = columnEnd - column;
        push(first);
        if (std::next(column) != columnEnd) {
            const auto [low, high] = samples.yRange(column, columnEnd);
            PixelPoint top = place({column->first, high});
            PixelPoint bottom = place({column->first, low});
            const PixelPoint last = place(*std::prev(columnEnd));
            // Whichever way round draws less over itself.
            if (std::abs(first.y - bottom.y) + std::abs(top.y - last.y) <
                std::abs(first.y - top.y) + std::abs(bottom.y - last.y)) {
                std::swap(top, bottom);
            }
            push(top);
            push(bottom);
            push(last);
        }
        column = columnEnd;
    }
    return path;
}

} // namespace krv
