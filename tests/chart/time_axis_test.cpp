#include "chart/time_axis.h"

#include <gtest/gtest.h>
#include <limits>

namespace krv {
namespace {

std::vector<std::u16string> textsOf(const std::vector<TimeTick>& ticks) {
    std::vector<std::u16string> texts;
    for (const TimeTick& tick : ticks) {
        texts.push_back(tick.text);
    }
    return texts;
}

// The shortest round step that leaves the labels their room, counted from the stretch's start.
TEST(TimeAxis, TicksTakeTheShortestRoundStepThatFits) {
    struct Case {
        double span;
        int width;
        int spacing;
        std::vector<std::u16string> texts;
    };
    const Case cases[] = {
        {4.4, 600, 75, {u"0:00", u"0:01", u"0:02", u"0:03", u"0:04"}},
        // 0.5 s is 68 px here: under a second the tenths show.
        {4.4,
         600,
         60,
         {u"0:00.0", u"0:00.5", u"0:01.0", u"0:01.5", u"0:02.0", u"0:02.5", u"0:03.0", u"0:03.5",
          u"0:04.0"}},
        {0.25, 500, 60, {u"0:00.0", u"0:00.1", u"0:00.2"}},
        // Ten minutes over 500 px, 100 px apart: two minutes is 100 px exactly.
        {600, 500, 100, {u"0:00", u"2:00", u"4:00", u"6:00", u"8:00", u"10:00"}},
        {599, 500, 100, {u"0:00", u"2:00", u"4:00", u"6:00", u"8:00"}},
        // Two hours: hours show, in steps of half an hour.
        {7200, 500, 100, {u"0:00:00", u"0:30:00", u"1:00:00", u"1:30:00", u"2:00:00"}},
        // One reading: the start alone.
        {0, 500, 100, {u"0:00.0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.span);
        const std::vector<TimeTick> ticks = timeTicks(c.span, c.width, c.spacing);
        EXPECT_EQ(textsOf(ticks), c.texts);
        for (size_t i = 1; i < ticks.size(); ++i) {
            EXPECT_GE((ticks[i].seconds - ticks[i - 1].seconds) / c.span * c.width, c.spacing);
        }
    }
}

TEST(TimeAxis, TicksAreCountedNotSummed) {
    // A thousand tenths: the last tick is 100 s exactly, not a rounding short of it.
    const std::vector<TimeTick> ticks = timeTicks(100, 100000, 100);
    ASSERT_EQ(ticks.size(), 1001u);
    EXPECT_EQ(ticks.back().text, u"1:40.0");
    EXPECT_DOUBLE_EQ(ticks.back().seconds, 100);
}

TEST(TimeAxis, NoTicksWhereNoneFitsOrNothingIsShown) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    // A week in 100 px: not even a day per 100 px fits.
    EXPECT_TRUE(timeTicks(7 * 86400.0, 100, 100).empty());
    EXPECT_TRUE(timeTicks(60, 0, 50).empty());
    EXPECT_TRUE(timeTicks(nan, 500, 50).empty());
    EXPECT_TRUE(timeTicks(infinity, 500, 50).empty());
    EXPECT_TRUE(timeTicks(-5, 500, 50).empty());
    // No room asked: still one label a pixel at most, not a label per tenth of a long log.
    EXPECT_LE(timeTicks(36000, 500, 0).size(), 501u);
}

TEST(TimeAxis, LabelsRoundToTheirUnit) {
    struct Case {
        double seconds;
        double span;
        bool tenths;
        std::u16string text;
    };
    const Case cases[] = {
        {0, 60, false, u"0:00"},
        {59.6, 600, false, u"1:00"},
        {75, 600, false, u"1:15"},
        {3599.4, 3599.4, false, u"59:59"},
        {3725, 3725, false, u"1:02:05"},
        {36000, 40000, false, u"10:00:00"},
        {1.96, 10, true, u"0:02.0"},
        {61.04, 100, true, u"1:01.0"},
        {3725.25, 4000, true, u"1:02:05.3"},
        {-0.01, 10, true, u"0:00.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(timeLabel(c.seconds, c.span, c.tenths), c.text);
    }
}

} // namespace
} // namespace krv
