// Blocks as the command line names them, and cells as the status line lists them.

#include "map_blocks/block.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

TEST(Block, ParsesOneBasedCornersInEitherOrder) {
    const struct {
        const char* text;
        Block block;
    } cases[] = {
        {"2:3-5:8", {1, 2, 4, 7}}, {"5:8-2:3", {1, 2, 4, 7}}, {"5:3-2:8", {1, 2, 4, 7}},
        {"1:1-16:15", wholeMap()}, {"4:7", {3, 6, 3, 6}},     {"16:15-16:15", {15, 14, 15, 14}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseBlock(c.text), c.block) << c.text;
    }
}

TEST(Block, RefusesWhatIsNotABlockOfTheMap) {
    for (const char* text : {"", "-", "0:1-2:2", "1:0-2:2", "1:1-17:1", "1:1-2:16", "a:b-c:d",
                             "1:1-", "1:1-2", "1-2", "-1:1", "1:1-2:2-3:3", " 1:1-2:2", "1:1-2:2 ",
                             "+1:1-2:2", "1.5:1-2:2", "1:1:1-2:2", "99999999999:1"}) {
        EXPECT_EQ(parseBlock(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(Block, InMapOnlyWhenOrderedAndInside) {
    EXPECT_TRUE(wholeMap().inMap());
    EXPECT_TRUE((Block{15, 14, 15, 14}).inMap());
    for (const Block& outside : {Block{2, 2, 1, 2}, Block{2, 2, 2, 1}, Block{-1, 0, 3, 3},
                                 Block{0, -1, 3, 3}, Block{0, 0, 16, 3}, Block{0, 0, 3, 15}}) {
        EXPECT_FALSE(outside.inMap()) << outside.firstRow << ',' << outside.firstColumn << '-'
                                      << outside.lastRow << ',' << outside.lastColumn;
    }
}

TEST(Block, CellNamesAreOneBasedRowThenColumn) {
    EXPECT_EQ(cellNames({}), "");
    EXPECT_EQ(cellNames({{0, 0}}), "1,1");
    EXPECT_EQ(cellNames({{0, 0}, {15, 14}, {3, 10}}), "1,1 16,15 4,11");
}

} // namespace
} // namespace krv
