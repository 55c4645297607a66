#include "chart/scroll_chart_model.h"
#include "platform/text.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <map>
#include <random>

namespace krv {
namespace {

using Model = CScrollChartModel<float>;

constexpr Rgb kRed{250, 0, 0};
constexpr Rgb kBlue{0, 0, 200};
constexpr Rgb kGreen{0, 200, 0};

// The formatter the main window uses: a y of 0..100 shown as 0..15 volts.
std::u16string volts(double y) {
    return formatText("%.2f", y * 15 / 100);
}

// A created chart with the main window's three series.
Model threeSeriesChart() {
    Model model;
    model.create();
    model.addSeries(0, volts, kRed, 0, 2, 1);
    model.addSeries(1, volts, kBlue, 0, 2, 1);
    model.addSeries(2, volts, kGreen, 0, 2, 1);
    return model;
}

// Samples at x = first .. last, one per x unit, as the main window feeds them.
void feed(Model& model, std::uint32_t id, int first, int last, float y = 50) {
    for (int x = first; x <= last; ++x) {
        ASSERT_TRUE(model.addSample(id, static_cast<float>(x), y));
    }
}

void feedEach(Model& model, std::uint32_t id, std::initializer_list<float> xs, float y = 50) {
    for (const float x : xs) {
        ASSERT_TRUE(model.addSample(id, x, y));
    }
}

TEST(ScrollChartModel, CreateTakesTheInitialState) {
    Model model;
    EXPECT_EQ(model.viewSpan(), 1000.0f);
    EXPECT_EQ(model.verticalDivisions(), 7u);
    model.create();
    EXPECT_EQ(model.valueMax(), 100.0f);
    EXPECT_EQ(model.valueMin(), 0.0f);
    EXPECT_EQ(model.viewStart(), 0.0f);
    EXPECT_EQ(model.dataMin(), 0.0f);
    EXPECT_EQ(model.dataMax(), 1000.0f);
    EXPECT_EQ(model.background(), (Rgb{240, 240, 240}));
    EXPECT_TRUE(model.gridVisible());
    EXPECT_EQ(model.verticalDivisions(), 20u);
    EXPECT_EQ(model.horizontalDivisions(), 10u);
    EXPECT_EQ(model.maxSamples(), 0u);
    EXPECT_EQ(model.scrollBar(), (ScrollBarState{0, 1000, 1000, 0}));
}

TEST(ScrollChartModel, AddSeriesTakesPenStyleFromTheLowWordAndMarkersFromBit17) {
    struct Case {
        std::uint32_t styleWord;
        int penStyle;
        bool markers;
    };
    const Case cases[] = {
        {0x00000, 0, false}, {0x00002, 2, false}, {0x20000, 0, true},
        {0x20003, 3, true},  {0x10001, 1, false}, // bit 16 is not the marker bit
        {0x40000, 0, false},                      // nor is bit 18
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.styleWord);
        Model model;
        model.create();
        ASSERT_TRUE(model.addSeries(4, volts, kRed, c.styleWord, 3, 1));
        const auto& series = model.series().at(4);
        EXPECT_EQ(series.penStyle, c.penStyle);
        EXPECT_EQ(series.markers, c.markers);
        EXPECT_EQ(series.penWidth, 3);
        EXPECT_EQ(series.colour, kRed);
    }
}

TEST(ScrollChartModel, AddSeriesWithARegisteredIdKeepsTheFirstSeries) {
    Model model = threeSeriesChart();
    feed(model, 1, 0, 5);
    EXPECT_FALSE(model.addSeries(1, nullptr, kGreen, kChartMarkers, 7, 0));
    const auto& series = model.series().at(1);
    EXPECT_EQ(series.colour, kBlue);
    EXPECT_EQ(series.penWidth, 2);
    EXPECT_FALSE(series.markers);
    EXPECT_EQ(series.samples.size(), 6u);
    EXPECT_EQ(model.series().size(), 3u);
}

TEST(ScrollChartModel, RefusedSamplesChangeNothing) {
    Model model = threeSeriesChart();
    feed(model, 0, 0, 2000);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        std::uint32_t id;
        float x;
        float y;
    };
    const Case cases[] = {
        {"unknown id", 3, 5000, 50}, {"NaN x", 0, nan, 50},         {"NaN y", 0, 2001, nan},
        {"infinite x", 0, inf, 50},  {"infinite y", 0, 2001, -inf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(model.addSample(c.id, c.x, c.y));
        EXPECT_EQ(model.series().size(), 3u);
        EXPECT_EQ(model.series().at(0).samples.size(), 2001u);
        EXPECT_EQ(model.viewStart(), 1100.0f);
        EXPECT_EQ(model.dataMin(), 0.0f);
        EXPECT_EQ(model.dataMax(), 2100.0f);
    }
}

TEST(ScrollChartModel, OnlyTheFirstSampleOfAnEmptyChartIsStoredUnclamped) {
    Model model = threeSeriesChart();
    ASSERT_TRUE(model.addSample(0, 5000, 150));
    EXPECT_EQ(model.series().at(0).samples.at(5000), 150.0f);
    // Not even x = 5000 widens the range for the very first sample.
    EXPECT_EQ(model.dataMax(), 1000.0f);
    EXPECT_EQ(model.dataMin(), 0.0f);
    EXPECT_EQ(model.viewStart(), 0.0f);

    struct Case {
        std::uint32_t id;
        float x;
        float y;
        float stored;
    };
    const Case cases[] = {
        {0, 1, 150, 100},     {0, 2, -3, 0},
        {0, 3, 42.5f, 42.5f}, {1, 1, 150, 100}, // another series, still empty itself: clamped too
        {2, 4, 100, 100},     {2, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        ASSERT_TRUE(model.addSample(c.id, c.x, c.y));
        EXPECT_EQ(model.series().at(c.id).samples.at(c.x), c.stored);
    }
}

TEST(ScrollChartModel, ASampleAtAnExistingXReplacesItsY) {
    Model model = threeSeriesChart();
    feed(model, 0, 0, 10, 20);
    ASSERT_TRUE(model.addSample(0, 4, 70));
    const auto& samples = model.series().at(0).samples;
    EXPECT_EQ(samples.size(), 11u);
    EXPECT_EQ(samples.at(4), 70.0f);
}

TEST(ScrollChartModel, TheViewFollowsTheNewestSampleAtNinetyPercent) {
    struct Case {
        int lastX;
        float viewStart;
        float dataMax;
    };
    const Case cases[] = {
        {900, 0, 1000}, // x = 900 sits exactly at 90 %: no move yet
        {901, 1, 1001},
        {2500, 1600, 2600},
        {10000, 9100, 10100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastX);
        Model model = threeSeriesChart();
        feed(model, 0, 0, c.lastX);
        EXPECT_EQ(model.viewStart(), c.viewStart);
        EXPECT_EQ(model.dataMax(), c.dataMax);
        EXPECT_EQ(model.dataMin(), 0.0f);
    }
}

TEST(ScrollChartModel, TheViewStaysWhenThePreviousLastSampleIsOutOfTheWindow) {
    {
        SCOPED_TRACE("scrolled back: the newest sample is right of the window");
        Model model = threeSeriesChart();
        feed(model, 0, 0, 2500);
        ASSERT_TRUE(model.scroll(ScrollRequest::PageLeft, 0));
        ASSERT_EQ(model.viewStart(), 1100.0f);
        ASSERT_TRUE(model.addSample(0, 2700, 50));
        EXPECT_EQ(model.viewStart(), 1100.0f);
        EXPECT_EQ(model.dataMax(), 2800.0f); // the range grows instead: x + 10 % of the span
    }
    {
        SCOPED_TRACE("the series had no sample yet");
        Model model = threeSeriesChart();
        feed(model, 0, 0, 100);
        ASSERT_TRUE(model.addSample(1, 5000, 50));
        EXPECT_EQ(model.viewStart(), 0.0f);
        EXPECT_EQ(model.dataMax(), 5100.0f);
    }
    {
        SCOPED_TRACE("a sample left of the data range lowers dataMin, the view stays");
        Model model = threeSeriesChart();
        feed(model, 0, 0, 100);
        ASSERT_TRUE(model.addSample(0, -20, 50));
        EXPECT_EQ(model.dataMin(), -20.0f);
        EXPECT_EQ(model.viewStart(), 0.0f);
    }
}

TEST(ScrollChartModel, TheSampleBeyondTheCapDropsTheOldestAndMovesDataMin) {
    struct Case {
        float otherSeriesFirstX;
        float dataMin; // smallest first x over all series after the trim
    };
    const Case cases[] = {{3.5f, 1}, {0.5f, 0.5f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.otherSeriesFirstX);
        Model model = threeSeriesChart();
        EXPECT_EQ(model.setMaxSamples(10000), 0u);
        feed(model, 0, 0, 9);
        ASSERT_TRUE(model.addSample(1, c.otherSeriesFirstX, 30));
        feed(model, 0, 10, 9999);
        ASSERT_EQ(model.series().at(0).samples.size(), 10000u);
        EXPECT_EQ(model.dataMin(), 0.0f);

        ASSERT_TRUE(model.addSample(0, 10000, 50));
        const auto& samples = model.series().at(0).samples;
        EXPECT_EQ(samples.size(), 10000u);
        EXPECT_EQ(samples.begin()->first, 1.0f);
        EXPECT_EQ(model.series().at(1).samples.size(), 1u);
        EXPECT_EQ(model.dataMin(), c.dataMin);
        EXPECT_EQ(model.viewStart(), 9100.0f);
    }
}

TEST(ScrollChartModel, SetMaxSamplesReturnsThePreviousCapAndTrimsAtOnce) {
    Model model = threeSeriesChart();
    feed(model, 0, 0, 19);
    EXPECT_EQ(model.setMaxSamples(10), 0u);
    EXPECT_EQ(model.series().at(0).samples.size(), 10u);
    EXPECT_EQ(model.series().at(0).samples.begin()->first, 10.0f);
    EXPECT_EQ(model.dataMin(), 10.0f);
    EXPECT_EQ(model.setMaxSamples(10), 10u);
    EXPECT_EQ(model.setMaxSamples(0), 10u);
    feed(model, 0, 20, 40);
    EXPECT_EQ(model.series().at(0).samples.size(), 31u); // 0: no cap
}

TEST(ScrollChartModel, ClearEmptiesTheSeriesButLeavesDataMax) {
    Model model = threeSeriesChart();
    feed(model, 0, 0, 2500);
    feed(model, 2, 0, 30);
    model.clear();
    for (const auto& entry : model.series()) {
        EXPECT_TRUE(entry.second.samples.empty());
    }
    EXPECT_EQ(model.series().size(), 3u);
    EXPECT_EQ(model.viewStart(), 0.0f);
    EXPECT_EQ(model.dataMin(), 0.0f);
    EXPECT_EQ(model.dataMax(), 2600.0f);
    EXPECT_EQ(model.scrollBar(), (ScrollBarState{0, 1000, 384, 0}));
    // The chart is empty again, so the next sample is stored as it comes.
    ASSERT_TRUE(model.addSample(0, 0, 150));
    EXPECT_EQ(model.series().at(0).samples.at(0), 150.0f);
}

TEST(ScrollChartModel, ScrollRequestsMoveTheViewWithinTheDataRange) {
    // Data 0..3100 (samples 0..3000), view 1000 wide starting at 1550.
    struct Case {
        const char* what;
        ScrollRequest request;
        int position;
        bool acts;
        float viewStart;
    };
    const Case cases[] = {
        {"line left", ScrollRequest::LineLeft, 0, true, 1540},
        {"line right", ScrollRequest::LineRight, 0, true, 1560},
        {"page left", ScrollRequest::PageLeft, 0, true, 1050},
        {"page right", ScrollRequest::PageRight, 0, true, 2050},
        {"thumb track", ScrollRequest::ThumbTrack, 250, true, 775},
        {"thumb track to 0", ScrollRequest::ThumbTrack, 0, true, 0},
        {"thumb track to the end", ScrollRequest::ThumbTrack, 1000, true, 2100},
        {"thumb position", ScrollRequest::ThumbPosition, 250, false, 1550},
        {"end scroll", ScrollRequest::EndScroll, 0, false, 1550},
        {"to the left end", ScrollRequest::Left, 0, false, 1550},
        {"to the right end", ScrollRequest::Right, 0, false, 1550},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Model model = threeSeriesChart();
        feed(model, 0, 0, 3000);
        ASSERT_TRUE(model.scroll(ScrollRequest::ThumbTrack, 500));
        ASSERT_EQ(model.viewStart(), 1550.0f);
        EXPECT_EQ(model.scroll(c.request, c.position), c.acts);
        EXPECT_EQ(model.viewStart(), c.viewStart);
    }
}

TEST(ScrollChartModel, ScrollRequestsAtTheEdgesOfTheRange) {
    {
        SCOPED_TRACE("line left below 1.0 does nothing at all");
        Model model = threeSeriesChart();
        feedEach(model, 0, {0, 900.5f});
        ASSERT_EQ(model.viewStart(), 0.5f);
        EXPECT_FALSE(model.scroll(ScrollRequest::LineLeft, 0));
        EXPECT_EQ(model.viewStart(), 0.5f);
    }
    {
        SCOPED_TRACE("line left from 1.0 stops at dataMin");
        Model model = threeSeriesChart();
        feedEach(model, 0, {0, 901});
        ASSERT_EQ(model.viewStart(), 1.0f);
        EXPECT_TRUE(model.scroll(ScrollRequest::LineLeft, 0));
        EXPECT_EQ(model.viewStart(), 0.0f);
    }
    {
        SCOPED_TRACE("page left stops at 0");
        Model model = threeSeriesChart();
        feed(model, 0, 0, 1900);
        ASSERT_TRUE(model.scroll(ScrollRequest::ThumbTrack, 150));
        ASSERT_EQ(model.viewStart(), 300.0f);
        EXPECT_TRUE(model.scroll(ScrollRequest::PageLeft, 0));
        EXPECT_EQ(model.viewStart(), 0.0f);
    }
    {
        SCOPED_TRACE("line and page right stop one span before dataMax");
        Model model = threeSeriesChart();
        feed(model, 0, 0, 3000);
        EXPECT_TRUE(model.scroll(ScrollRequest::LineRight, 0));
        EXPECT_EQ(model.viewStart(), 2100.0f);
        EXPECT_TRUE(model.scroll(ScrollRequest::PageRight, 0));
        EXPECT_EQ(model.viewStart(), 2100.0f);
    }
}

TEST(ScrollChartModel, ScrollBarShowsTheViewWithinTheDataRange) {
    Model model = threeSeriesChart();
    feed(model, 0, 0, 3000);
    // page = trunc(1000 * 1000 / 3100), position = trunc(1000 * 2100 / 3100)
    EXPECT_EQ(model.scrollBar(), (ScrollBarState{0, 1000, 322, 677}));
    model.scroll(ScrollRequest::ThumbTrack, 0);
    EXPECT_EQ(model.scrollBar(), (ScrollBarState{0, 1000, 322, 0}));
}

TEST(ScrollChartModel, ScrollBarStaysOnItsTrackWhenTheCapLeavesNoRange) {
    // The first sample lies beyond dataMax without widening it; a cap then trims the sample
    // that had lowered dataMin, and dataMin ends above dataMax.
    Model model = threeSeriesChart();
    feedEach(model, 0, {2000, -5});
    model.setMaxSamples(1);
    ASSERT_GT(model.dataMin(), model.dataMax());
    EXPECT_EQ(model.scrollBar(), (ScrollBarState{0, 1000, 1000, 0}));
}

TEST(ScrollChartModel, ToPixelMapsTheViewOntoTheClientArea) {
    struct Case {
        float x;
        float y;
        ClientSize client;
        PixelPoint pixel;
    };
    const Case cases[] = {
        {0, 0, {500, 200}, {0, 200}},      {500, 50, {500, 200}, {250, 101}}, // 200 - trunc(99.9)
        {1000, 100, {500, 200}, {500, 1}}, {-10, 0, {500, 200}, {-5, 200}}, // truncated toward zero
        {0, 100, {500, 999}, {0, 1}},      {0, 100, {500, 1000}, {0, 1}},
        {0, 100, {500, 2000}, {0, 2}},
    };
    Model model = threeSeriesChart();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(model.toPixel(c.x, c.y, c.client), c.pixel);
    }
}

// A narrower band of values spreads over the whole height; samples keep their values, those
// outside fall outside the client; a band that is no band is refused.
TEST(ScrollChartModel, ShownValuesSpreadOverTheHeight) {
    Model model = threeSeriesChart();
    const ClientSize client{500, 200};
    model.setShownValues(10, 30);
    EXPECT_EQ(model.toPixel(0, 10, client), (PixelPoint{0, 200}));
    EXPECT_EQ(model.toPixel(0, 20, client), (PixelPoint{0, 101}));
    EXPECT_EQ(model.toPixel(0, 30, client), (PixelPoint{0, 1}));
    EXPECT_GT(model.toPixel(0, 5, client).y, 200);
    EXPECT_LT(model.toPixel(0, 60, client).y, 0);
    for (const auto& [low, high] : {std::pair{30.0f, 30.0f}, std::pair{40.0f, 20.0f}}) {
        model.setShownValues(low, high);
        EXPECT_EQ(model.shownLow(), 10);
        EXPECT_EQ(model.shownHigh(), 30);
    }
    model.create();
    EXPECT_EQ(model.shownLow(), 0);
    EXPECT_EQ(model.shownHigh(), 100);
}

TEST(ScrollChartModel, VerticalGridLinesFollowTheView) {
    const ClientSize client{1000, 100};
    Model model = threeSeriesChart();
    std::vector<int> expected;
    for (int x = 50; x < 1000; x += 50) {
        expected.push_back(x);
    }
    EXPECT_EQ(model.verticalGridLines(client), expected);

    feed(model, 0, 0, 3000); // view 2100..3100: lines from trunc(2100 + 50 - 100) = 2050
    expected.clear();
    for (int x = 2050; x < 3100; x += 50) {
        expected.push_back(x - 2100);
    }
    EXPECT_EQ(model.verticalGridLines(client), expected);
    EXPECT_EQ(model.verticalGridLines(client).front(), -50); // left of the window
}

std::vector<PixelPoint> pathOf(std::initializer_list<float> descendingXs) {
    // Descending, so the newest sample always lies beyond the window and the view stays at 0.
    Model model = threeSeriesChart();
    feedEach(model, 0, descendingXs);
    EXPECT_EQ(model.viewStart(), 0.0f);
    return model.seriesPath(model.series().at(0), {1000, 100});
}

TEST(ScrollChartModel, SeriesPathHoldsTheSamplesInViewAndOneOnEachSide) {
    const int y = 51; // pixel row of y = 50 at height 100
    struct Case {
        const char* what;
        std::vector<PixelPoint> path;
        std::vector<PixelPoint> expected;
    };
    const Case cases[] = {
        {"all in view", pathOf({300, 200, 100}), {{100, y}, {200, y}, {300, y}}},
        {"one neighbour on each side",
         pathOf({1300, 1200, 500, -200, -300}),
         {{-200, y}, {500, y}, {1200, y}}},
        {"entirely outside, on both sides: the crossing segment",
         pathOf({1500, -500}),
         {{-500, y}, {1500, y}}},
        {"entirely left: the last sample alone", pathOf({-200, -300}), {{-200, y}}},
        {"entirely right: the first sample alone", pathOf({1300, 1200}), {{1200, y}}},
        {"exactly on both edges", pathOf({1000, 0}), {{0, y}, {1000, y}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.path, c.expected);
    }
}

TEST(ScrollChartModel, SeriesPathOfALongSeriesIsBoundedByTheView) {
    Model model = threeSeriesChart();
    model.setMaxSamples(10000);
    feed(model, 0, 0, 19999);
    ASSERT_EQ(model.viewStart(), 19099.0f);
    const auto path = model.seriesPath(model.series().at(0), {1000, 100});
    EXPECT_EQ(path.size(), 902u); // 19098 (left of the window) .. 19999
    EXPECT_EQ(path.front().x, -1);
    EXPECT_EQ(path.back().x, 900);
}

TEST(ScrollChartModel, SamplesOnTheSamePixelGiveOnePathPoint) {
    Model model = threeSeriesChart();
    feed(model, 0, 0, 25, 50);
    feed(model, 0, 26, 29, 80);
    // 100 pixels for 1000 x units: ten samples per pixel column.
    const std::vector<PixelPoint> expected{{0, 51}, {1, 51}, {2, 51}, {2, 21}};
    EXPECT_EQ(model.seriesPath(model.series().at(0), {100, 100}), expected);
}

// A long log in view: ten thousand samples on 84 pixel columns. Each column's path
// points reach exactly its highest and lowest sample, start at its first and end at its last.
TEST(ScrollChartModel, ADenseSeriesPathHoldsEachColumnsEndsAndExtremes) {
    Model model = threeSeriesChart();
    model.setMaxSamples(0);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> y(0, 100);
    for (int i = 0; i < 10000; ++i) {
        ASSERT_TRUE(model.addSample(0, static_cast<float>(i) / 12, y(random)));
    }
    ASSERT_EQ(model.viewStart(), 0.0f); // all in view
    const ClientSize client{100, 300};
    const auto& samples = model.series().at(0).samples;
    std::map<int, std::vector<PixelPoint>> columns; // every sample's pixel, by column
    for (const auto& [x, value] : samples) {
        const PixelPoint point = model.toPixel(x, value, client);
        columns[point.x].push_back(point);
    }
    const std::vector<PixelPoint> path = model.seriesPath(model.series().at(0), client);
    ASSERT_LE(path.size(), 4 * columns.size());
    for (const auto& [column, points] : columns) {
        std::vector<PixelPoint> drawn;
        std::copy_if(path.begin(), path.end(), std::back_inserter(drawn),
                     [column](PixelPoint point) { return point.x == column; });
        ASSERT_FALSE(drawn.empty()) << "column " << column;
        EXPECT_EQ(drawn.front(), points.front()) << "column " << column;
        EXPECT_EQ(drawn.back(), points.back()) << "column " << column;
        const auto byRow = [](PixelPoint a, PixelPoint b) { return a.y < b.y; };
        EXPECT_EQ(std::min_element(drawn.begin(), drawn.end(), byRow)->y,
                  std::min_element(points.begin(), points.end(), byRow)->y);
        EXPECT_EQ(std::max_element(drawn.begin(), drawn.end(), byRow)->y,
                  std::max_element(points.begin(), points.end(), byRow)->y);
    }
}

// With markers each sample's point is drawn, so nothing is folded away.
TEST(ScrollChartModel, ASeriesWithMarkersKeepsEveryPoint) {
    Model model;
    model.create();
    model.addSeries(0, volts, kRed, kChartMarkers, 2, 1);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(model.addSample(0, static_cast<float>(i) / 20, static_cast<float>(i % 7) * 10));
    }
    EXPECT_EQ(model.seriesPath(model.series().at(0), {1000, 100}).size(), 100u);
}

// Text widths as a font would give them: `perLetter` pixels a character.
LabelTextWidth lettersOf(int perLetter) {
    return
        [perLetter](std::u16string_view text) { return perLetter * static_cast<int>(text.size()); };
}

void expectNoTwoOverlap(const std::vector<ChartLabel>& labels) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(labels[i].rect.intersects(labels[j].rect))
                << "labels " << j << " and " << i;
        }
    }
}

TEST(ScrollChartModel, LabelsSitAtTheLastSampleInViewAndMoveLeftPastEarlierOnes) {
    const ClientSize client{1000, 200};
    const int top = 76;     // 200 - trunc(99.9) - 25
    const int bottom = 101; // pixel row of y = 50
    constexpr int gap = Model::kLabelGap;
    {
        SCOPED_TRACE("a narrow text: the second label ends a gap left of the first");
        Model model = threeSeriesChart();
        feedEach(model, 0, {400, 500});
        feedEach(model, 1, {500});
        const auto labels = model.labels(client, lettersOf(7)); // "7.50": 28 pixels
        ASSERT_EQ(labels.size(), 2u);
        EXPECT_EQ(labels[0].rect, (PixelRect{500, top, 533, bottom}));
        EXPECT_EQ(labels[0].text, u"7.50");
        EXPECT_EQ(labels[0].colour, kRed);
        EXPECT_EQ(labels[1].rect, (PixelRect{500 - gap - 33, top, 500 - gap, bottom}));
        EXPECT_EQ(labels[1].seriesId, 1u);
    }
    {
        SCOPED_TRACE("texts wider than the narrowest label widen it and shift by that width");
        Model model = threeSeriesChart();
        feedEach(model, 0, {500});
        feedEach(model, 1, {500});
        feedEach(model, 2, {500});
        const auto labels = model.labels(client, lettersOf(10)); // 40 pixels
        ASSERT_EQ(labels.size(), 3u);
        EXPECT_EQ(labels[0].rect, (PixelRect{500, top, 540, bottom}));
        EXPECT_EQ(labels[1].rect, (PixelRect{456, top, 496, bottom}));
        EXPECT_EQ(labels[2].rect, (PixelRect{412, top, 452, bottom}));
        expectNoTwoOverlap(labels);
    }
    {
        SCOPED_TRACE("a label moved past one is checked again against all earlier ones");
        Model model = threeSeriesChart();
        feedEach(model, 0, {50});
        feedEach(model, 1, {100});
        feedEach(model, 2, {110});
        const auto labels = model.labels(client, lettersOf(7));
        ASSERT_EQ(labels.size(), 3u);
        EXPECT_EQ(labels[1].rect.left, 100);
        EXPECT_EQ(labels[2].rect, (PixelRect{50 - gap - 33, top, 50 - gap, bottom}));
        expectNoTwoOverlap(labels);
    }
    {
        SCOPED_TRACE("labels at different heights stay where they are");
        Model model = threeSeriesChart();
        feedEach(model, 0, {500}, 50);
        feedEach(model, 1, {500}, 20);
        const auto labels = model.labels(client, lettersOf(7));
        ASSERT_EQ(labels.size(), 2u);
        EXPECT_EQ(labels[1].rect.left, 500);
    }
    {
        SCOPED_TRACE("no label without a sample in view, nor for a hidden series");
        Model model;
        model.create();
        model.addSeries(0, volts, kRed, 0, 2, 1);
        model.addSeries(1, volts, kBlue, 0, 2, 0);
        model.addSeries(2, nullptr, kGreen, 0, 2, 1);
        feedEach(model, 0, {1500, -500});
        feedEach(model, 1, {300});
        feedEach(model, 2, {1000}); // on the right edge: still in view
        const auto labels = model.labels(client, lettersOf(7));
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_EQ(labels[0].seriesId, 2u);
        EXPECT_EQ(labels[0].rect, (PixelRect{1000, top, 1033, bottom}));
        EXPECT_EQ(labels[0].text, u""); // no formatter, no text
    }
}

} // namespace
} // namespace krv
