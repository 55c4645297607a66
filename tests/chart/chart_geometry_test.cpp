#include "chart/chart_geometry.h"

#include <gtest/gtest.h>
#include <limits>

namespace krv {
namespace {

TEST(ChartGeometry, HorizontalGridLinesStepByIntegerDivisionOfTheHeight) {
    struct Case {
        int height;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {100, {10, 20, 30, 40, 50, 60, 70, 80, 90}},      // the line at the bottom edge is left out
        {105, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}}, // 105 / 10 = 10, and 100 < 105
        {19, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {5, {}}, // a step of 0 must end the loop, not hang the paint
        {0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        EXPECT_EQ(horizontalGridLines(c.height, 10), c.rows);
    }
    EXPECT_TRUE(horizontalGridLines(100, 0).empty());
}

TEST(ChartGeometry, RectanglesIntersectOnlyWhenTheyOverlap) {
    const PixelRect label{100, 75, 133, 100};
    struct Case {
        PixelRect other;
        bool intersects;
    };
    const Case cases[] = {
        {{100, 75, 133, 100}, true},   {{132, 99, 200, 200}, true}, // one pixel in common
        {{133, 75, 166, 100}, false},                               // touching on the right
        {{67, 75, 100, 100}, false},                                // touching on the left
        {{100, 100, 133, 125}, false},                              // touching below
        {{110, 80, 110, 90}, false},                                // empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.other.left);
        EXPECT_EQ(label.intersects(c.other), c.intersects);
        EXPECT_EQ(c.other.intersects(label), c.intersects);
    }
}

TEST(ChartGeometry, TruncationTowardZeroHoldsExtremesWithinInt) {
    EXPECT_EQ(truncToInt(2.9), 2);
    EXPECT_EQ(truncToInt(-2.9), -2);
    EXPECT_EQ(truncToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_GT(truncToInt(1e30), 1000000);
    EXPECT_LT(truncToInt(-std::numeric_limits<double>::infinity()), -1000000);
}

TEST(ChartGeometry, LabelFontHeightIsAFiftiethOfTheGeometricMean) {
    EXPECT_EQ(labelFontPixelHeight(500, 250), 7); // sqrt(125000) = 353.6
    EXPECT_EQ(labelFontPixelHeight(750, 750), 15);
    EXPECT_EQ(labelFontPixelHeight(10, 10), 1); // never a zero height, which means "any size"
}

} // namespace
} // namespace krv
