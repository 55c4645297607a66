#pragma once
// The scrolling chart's state and rules: value and x ranges, series and their samples, the
// scroll requests and the pixel placement of lines, grid and labels. No drawing happens here,
// so every rule can be checked without a window.

#include "chart/chart_geometry.h"
#include "chart/chart_samples.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace krv {

// Scroll-bar requests, numbered as the Windows horizontal-scroll codes.
enum class ScrollRequest : int {
    LineLeft = 0,
    LineRight = 1,
    PageLeft = 2,
    PageRight = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Left = 6,
    Right = 7,
    EndScroll = 8,
};

// Label text for a y value.
using ChartFormatter = std::function<std::u16string(double y)>;
// Width in pixels of a label's text in the label font.
using LabelTextWidth = std::function<int(std::u16string_view text)>;

// The style word of addSeries: the low 16 bits are the pen style, bit 17 asks for markers.
constexpr std::uint32_t kChartMarkers = 1u << 17;

template <class T> struct ChartSeries {
    ChartSamples<T> samples;
    Rgb colour;
    int penStyle = 0; // Windows pen-style numbers: 0 solid, 1 dash, 2 dot, ...
    int penWidth = 1;
    int visible = 1;
    bool markers = false;
    ChartFormatter formatter;
};

struct ChartLabel {
    std::uint32_t seriesId = 0;
    Rgb colour;
    PixelRect rect;
    std::u16string text;
};

// The horizontal scroll bar: range 0..1000, the page and the position within that range.
struct ScrollBarState {
    int minimum = 0;
    int maximum = 1000;
    int page = 0;
    int position = 0;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

template <class T> class CScrollChartModel {
public:
    using Series = ChartSeries<T>;
    using SeriesMap = std::map<std::uint32_t, Series>;

    // The narrowest label; a wider text widens its label.
    static constexpr int kLabelWidth = 33;
    static constexpr int kLabelHeight = 25;
    // Between a label and the one it was moved past.
    static constexpr int kLabelGap = 4;

    // The values the chart window takes when it is created.
    void create();

    void showGrid(bool on) { gridVisible_ = on; }
    // Returns the previous cap; a new cap trims the series at once.
    std::uint32_t setMaxSamples(std::uint32_t maxSamples);
    // False, and nothing changes, when the id is already registered.
    bool addSeries(std::uint32_t id, ChartFormatter formatter, Rgb colour, std::uint32_t styleWord,
                   int penWidth, int visible);
    // False, and nothing changes, for an unregistered id or a coordinate that is not a number.
    bool addSample(std::uint32_t id, T x, T y);
    void clear();
    // True when the request moved (or re-clamped) the view; false when it did nothing at all.
    bool scroll(ScrollRequest request, int position);

    ScrollBarState scrollBar() const;
    // The values the client's height shows, bottom to top: valueMin()..valueMax() unless set
    // narrower. Samples keep their values; those outside fall outside the client.
    void setShownValues(T low, T high);
    T shownLow() const { return shownLow_; }
    T shownHigh() const { return shownHigh_; }
    PixelPoint toPixel(T x, T y, ClientSize client) const;
    // The x of toPixel alone.
    int pixelColumn(T x, ClientSize client) const;
    std::vector<int> horizontalGridLines(ClientSize client) const;
    // Pixel columns of the dotted vertical grid lines; some may lie left of the window.
    std::vector<int> verticalGridLines(ClientSize client) const;
    // The points the series' line joins: the samples in view, plus the nearest sample on each
    // side of the window so that the segments leaving it are drawn. Consecutive samples on
    // the same pixel give one point, and the samples of one pixel column at most four (see
    // chart/column_path.h) unless the series has markers.
    std::vector<PixelPoint> seriesPath(const Series& series, ClientSize client) const;
    // One label per visible series with a sample in view, as wide as its text and at least
    // kLabelWidth, moved left past every earlier label it would overlap.
    std::vector<ChartLabel> labels(ClientSize client, const LabelTextWidth& textWidth) const;

    T valueMax() const { return valueMax_; }
    T valueMin() const { return valueMin_; }
    T viewStart() const { return viewStart_; }
    T viewSpan() const { return viewSpan_; }
    T dataMin() const { return dataMin_; }
    T dataMax() const { return dataMax_; }
    const SeriesMap& series() const { return series_; }
    Rgb background() const { return background_; }
    bool gridVisible() const { return gridVisible_; }
    std::uint32_t verticalDivisions() const { return verticalDivisions_; }
    std::uint32_t horizontalDivisions() const { return horizontalDivisions_; }
    std::uint32_t maxSamples() const { return maxSamples_; }

private:
    bool allSeriesEmpty() const;
    // Follows the newest sample or widens the x range; true when a range changed.
    bool updateRange(const Series& series, T x);
    bool trimSamples();
    void fitView();
    // The newest sample in view, or end() when there is none.
    typename ChartSamples<T>::const_iterator lastInView(const Series& series) const;

    T valueMax_ = 0;
    T valueMin_ = 0;
    T shownLow_ = 0;
    T shownHigh_ = 0;
    T viewStart_ = 0;
    T viewSpan_ = 1000;
    T dataMin_ = 0;
    T dataMax_ = 1000;
    SeriesMap series_;
    Rgb background_;
    bool gridVisible_ = false;
    std::uint32_t verticalDivisions_ = 7;
    std::uint32_t horizontalDivisions_ = 10;
    std::uint32_t maxSamples_ = 0;
};

extern template class CScrollChartModel<float>;

} // namespace krv
