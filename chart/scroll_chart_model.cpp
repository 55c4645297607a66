#include "chart/scroll_chart_model.h"

#include "chart/column_path.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace krv {

template <class T> void CScrollChartModel<T>::create() {
    valueMax_ = 100;
    valueMin_ = 0;
    shownLow_ = valueMin_;
    shownHigh_ = valueMax_;
    viewStart_ = 0;
    viewSpan_ = 1000;
    dataMin_ = 0;
    dataMax_ = viewSpan_;
    series_.clear();
    background_ = Rgb{240, 240, 240};
    gridVisible_ = true;
    verticalDivisions_ = 20;
    horizontalDivisions_ = 10;
    maxSamples_ = 0;
}

template <class T> std::uint32_t CScrollChartModel<T>::setMaxSamples(std::uint32_t maxSamples) {
    const std::uint32_t previous = maxSamples_;
    if (maxSamples != previous) {
        maxSamples_ = maxSamples;
        trimSamples();
    }
    return previous;
}

template <class T>
bool CScrollChartModel<T>::addSeries(std::uint32_t id, ChartFormatter formatter, Rgb colour,
                                     std::uint32_t styleWord, int penWidth, int visible) {
    if (series_.contains(id)) {
        return false;
    }
    Series& series = series_[id];
    series.formatter = std::move(formatter);
    series.colour = colour;
    series.penStyle = static_cast<int>(styleWord & 0xFFFFu);
    series.markers = (styleWord & kChartMarkers) != 0;
    series.penWidth = penWidth;
    series.visible = visible;
    return true;
}

template <class T> bool CScrollChartModel<T>::addSample(std::uint32_t id, T x, T y) {
    const auto found = series_.find(id);
    // A NaN key would break the ordering of the sample map; infinities have no place on screen.
    if (found == series_.end() || !std::isfinite(x) || !std::isfinite(y)) {
        return false;
    }
    Series& series = found->second;
    bool changed = false;
    // The very first sample of the chart is stored as it comes: no range update, no clamp.
    if (!allSeriesEmpty()) {
        changed = updateRange(series, x);
        if (y > valueMax_) {
            y = valueMax_;
        }
        if (y < valueMin_) {
            y = valueMin_;
        }
    }
    series.samples.set(x, y);
    if (trimSamples()) {
        changed = true;
    }
    if (changed) {
        fitView();
    }
    return true;
}

template <class T> bool CScrollChartModel<T>::allSeriesEmpty() const {
    for (const auto& entry : series_) {
        if (!entry.second.samples.empty()) {
            return false;
        }
    }
    return true;
}

template <class T> bool CScrollChartModel<T>::updateRange(const Series& series, T x) {
    if (!series.samples.empty()) {
        // The view follows only while the newest point is on screen, so a user who scrolled
        // back to look at older data is not pulled away by new samples.
        const T last = series.samples.rbegin()->first;
        const T viewEnd = viewStart_ + viewSpan_;
        if (viewStart_ <= last && last <= viewEnd && viewStart_ + 0.9 * viewSpan_ < x) {
            viewStart_ = static_cast<T>(x - 0.9 * viewSpan_);
            return true;
        }
    }
    if (x > dataMax_ && x > viewSpan_) {
        dataMax_ = static_cast<T>(x + 0.1 * viewSpan_);
        return true;
    }
    if (x < dataMin_) {
        dataMin_ = x;
        return true;
    }
    return false;
}

template <class T> bool CScrollChartModel<T>::trimSamples() {
    if (maxSamples_ == 0) {
        return false;
    }
    bool removed = false;
    for (auto& entry : series_) {
        auto& samples = entry.second.samples;
        if (samples.size() > maxSamples_) {
            samples.dropOldest(samples.size() - maxSamples_);
            removed = true;
        }
    }
    if (!removed) {
        return false;
    }
    bool found = false;
    T lowest = 0;
    for (const auto& entry : series_) {
        const auto& samples = entry.second.samples;
        if (!samples.empty() && (!found || samples.begin()->first < lowest)) {
            lowest = samples.begin()->first;
            found = true;
        }
    }
    if (found) {
        dataMin_ = lowest;
    }
    return true;
}

template <class T> void CScrollChartModel<T>::fitView() {
    if (dataMin_ > viewStart_) {
        viewStart_ = dataMin_;
    }
    if (dataMax_ < viewStart_ + viewSpan_) {
        dataMax_ = viewStart_ + viewSpan_;
    }
}

template <class T> void CScrollChartModel<T>::clear() {
    for (auto& entry : series_) {
        entry.second.samples.clear();
    }
    viewStart_ = 0;
    dataMin_ = 0;
}

template <class T> bool CScrollChartModel<T>::scroll(ScrollRequest request, int position) {
    switch (request) {
    case ScrollRequest::LineLeft:
        if (viewStart_ < 1.0) {
            return false;
        }
        viewStart_ = static_cast<T>(viewStart_ - 0.01 * viewSpan_);
        break;
    case ScrollRequest::LineRight:
        viewStart_ = static_cast<T>(viewStart_ + 0.01 * viewSpan_);
        break;
    case ScrollRequest::PageLeft:
        viewStart_ = static_cast<T>(viewStart_ - 0.5 * viewSpan_);
        if (viewStart_ < 0) {
            viewStart_ = 0;
        }
        break;
    case ScrollRequest::PageRight:
        viewStart_ = static_cast<T>(viewStart_ + 0.5 * viewSpan_);
        break;
    case ScrollRequest::ThumbTrack:
        viewStart_ = static_cast<T>(dataMin_ + (dataMax_ - dataMin_) * (position / 1000.0));
        break;
    default:
        return false;
    }
    if (viewStart_ > dataMax_ - viewSpan_) {
        viewStart_ = dataMax_ - viewSpan_;
    }
    if (viewStart_ < dataMin_) {
        viewStart_ = dataMin_;
    }
    return true;
}

template <class T> ScrollBarState CScrollChartModel<T>::scrollBar() const {
    ScrollBarState state;
    const T range = dataMax_ - dataMin_;
    // A cap can trim away every sample below dataMax, leaving no range to divide by:
    // the bar then shows one page over the whole track.
    if (!(range > 0)) {
        state.page = state.maximum;
        return state;
    }
    state.page = truncToInt(static_cast<T>(1000) * viewSpan_ / range);
    state.position = truncToInt(static_cast<T>(1000) * (viewStart_ - dataMin_) / range);
    return state;
}

template <class T> void CScrollChartModel<T>::setShownValues(T low, T high) {
    if (low < high) {
        shownLow_ = low;
        shownHigh_ = high;
    }
}

template <class T> PixelPoint CScrollChartModel<T>::toPixel(T x, T y, ClientSize client) const {
    const double py =
        static_cast<T>(client.height) * (y - shownLow_) * 0.999 / (shownHigh_ - shownLow_);
    return {pixelColumn(x, client), client.height - truncToInt(py)};
}

template <class T> int CScrollChartModel<T>::pixelColumn(T x, ClientSize client) const {
    return truncToInt((x - viewStart_) * static_cast<T>(client.width) / viewSpan_);
}

template <class T>
std::vector<int> CScrollChartModel<T>::horizontalGridLines(ClientSize client) const {
    return krv::horizontalGridLines(client.height, horizontalDivisions_);
}

template <class T>
std::vector<int> CScrollChartModel<T>::verticalGridLines(ClientSize client) const {
    std::vector<int> columns;
    if (verticalDivisions_ == 0) {
        return columns;
    }
    const T step = viewSpan_ / static_cast<T>(verticalDivisions_);
    const T remainder = std::fmod(viewStart_, viewSpan_);
    const T viewEnd = viewStart_ + viewSpan_;
    // Grid lines sit at whole x values; x is kept in a double so no range of x can overflow it.
    double x = std::trunc(viewStart_ + step - remainder);
    while (static_cast<T>(x) < viewEnd) {
        columns.push_back(toPixel(static_cast<T>(x), 0, client).x);
        const double next = std::trunc(x + step);
        if (!(next > x)) {
            break; // a step below one x unit would never advance
        }
        x = next;
    }
    return columns;
}

template <class T>
std::vector<PixelPoint> CScrollChartModel<T>::seriesPath(const Series& series,
                                                         ClientSize client) const {
    const auto& samples = series.samples;
    if (samples.empty()) {
        return {};
    }
    auto sample = samples.lower_bound(viewStart_);
    if (sample != samples.begin()) {
        --sample; // the segment entering the window from the left
    }
    // The first sample right of the window closes the segment leaving it and ends the path;
    // when even the first drawn sample lies right of the window, it is the whole path.
    const auto beyond = samples.upper_bound(static_cast<T>(viewStart_ + viewSpan_));
    const auto end = beyond == samples.end() ? beyond : std::next(beyond);
    const auto place = [this, client](const std::pair<T, T>& at) {
        return toPixel(at.first, at.second, client);
    };
    if (!series.markers) {
        return columnPath(
            samples, sample, end, [this, client](T x) { return pixelColumn(x, client); }, place);
    }
    // A marker stands at every point, so only neighbours on the same pixel are merged.
    std::vector<PixelPoint> path;
    for (; sample != end; ++sample) {
        appendPoint(path, place(*sample));
    }
    return path;
}

template <class T>
typename ChartSamples<T>::const_iterator
CScrollChartModel<T>::lastInView(const Series& series) const {
    const auto& samples = series.samples;
    auto sample = samples.upper_bound(static_cast<T>(viewStart_ + viewSpan_));
    if (sample == samples.begin()) {
        return samples.end();
    }
    --sample;
    return sample->first < viewStart_ ? samples.end() : sample;
}

template <class T>
std::vector<ChartLabel> CScrollChartModel<T>::labels(ClientSize client,
                                                     const LabelTextWidth& textWidth) const {
    std::vector<ChartLabel> placed;
    for (const auto& [id, series] : series_) {
        if (series.samples.empty() || !series.visible) {
            continue;
        }
        const auto sample = lastInView(series);
        if (sample == series.samples.end()) {
            continue;
        }
        std::u16string text = series.formatter ? series.formatter(sample->second) : u"";
        const int width = std::max(kLabelWidth, textWidth(text));
        const PixelPoint at = toPixel(sample->first, sample->second, client);
        PixelRect rect{at.x, at.y - kLabelHeight, at.x + width, at.y};
        // A label only ever moves left, past one more earlier label each time, so this ends;
        // after a move every earlier label is looked at again.
        for (auto other = placed.begin(); other != placed.end();) {
            if (rect.intersects(other->rect)) {
                rect.right = other->rect.left - kLabelGap;
                rect.left = rect.right - width;
                other = placed.begin();
            } else {
                ++other;
            }
        }
        placed.push_back({id, series.colour, rect, std::move(text)});
    }
    return placed;
}

template class CScrollChartModel<float>;

} // namespace krv
