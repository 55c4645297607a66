// Each block operation on worked values, at both ends of the controller's range, on a single
// cell and on the whole map; interpolation against planes it must reproduce, smoothing
// against blocks it must leave alone. Cells outside the block must never move.

#include "device/units.h"
#include "map_blocks/block_operations.h"
#include "tests/map_blocks/map_cells.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace krv {
namespace {

using test::at;
using test::cellsFrom;
using test::scrambled;

using Operation = std::function<BlockResult(const MapCells&, const Block&)>;

struct NamedOperation {
    const char* name;
    Operation run;
};

const NamedOperation kEveryOperation[] = {
    {"set 2.5 V", [](const MapCells& c, const Block& b) { return setTo(c, b, 2.5); }},
    {"average", setToAverage},
    {"add 0.1 V", [](const MapCells& c, const Block& b) { return add(c, b, 0.1); }},
    {"scale 90 %", [](const MapCells& c, const Block& b) { return scale(c, b, 90); }},
    {"bilinear",
     [](const MapCells& c, const Block& b) { return interpolate(c, b, Interpolation::bilinear); }},
    {"rows",
     [](const MapCells& c, const Block& b) { return interpolate(c, b, Interpolation::rows); }},
    {"columns",
     [](const MapCells& c, const Block& b) { return interpolate(c, b, Interpolation::columns); }},
    {"smooth", smooth},
};

// Every cell outside the block as it was.
void expectOutsideUnchanged(const MapCells& before, const MapCells& after, const Block& block,
                            const std::string& what) {
    for (int row = 0; row < protocol::kMapRows; ++row) {
        for (int column = 0; column < protocol::kMapColumns; ++column) {
            if (!block.contains(row, column)) {
                ASSERT_EQ(at(after, row, column), at(before, row, column))
                    << what << ": cell " << row << ',' << column << " outside the block moved";
            }
        }
    }
}

// The block's cells, row by row.
std::vector<int> blockValues(const MapCells& cells, const Block& block) {
    std::vector<int> values;
    for (int row = block.firstRow; row <= block.lastRow; ++row) {
        for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
            values.push_back(at(cells, row, column));
        }
    }
    return values;
}

TEST(BlockOperations, OneStepIsWhatTheControllerCountsAMapCellIn) {
    EXPECT_DOUBLE_EQ(units::mapCellVolts(1), kCellStepVolts);
    EXPECT_DOUBLE_EQ(units::mapCellVolts(255), 255 * kCellStepVolts);
}

// Rows 1-2, columns 2-4 hold 12 13 14 / 22 23 24 (value = 10 x row + column).
TEST(BlockOperations, WorkedValuesOnASmallBlock) {
    const MapCells cells = cellsFrom([](int row, int column) { return 10 * row + column; });
    const Block block{1, 2, 2, 4};
    const struct {
        const char* what;
        BlockResult result;
        std::vector<int> expected;
    } cases[] = {
        {"set 2.5 V", setTo(cells, block, 2.5), {125, 125, 125, 125, 125, 125}},
        {"set 0.1 V: five steps, whatever the double's last bit",
         setTo(cells, block, 0.1),
         {5, 5, 5, 5, 5, 5}},
        {"average of 12 … 24", setToAverage(cells, block), {18, 18, 18, 18, 18, 18}},
        {"add 0.1 V", add(cells, block, 0.1), {17, 18, 19, 27, 28, 29}},
        {"add -0.1 V", add(cells, block, -0.1), {7, 8, 9, 17, 18, 19}},
        {"add 0.3 V", add(cells, block, 0.3), {27, 28, 29, 37, 38, 39}},
        {"scale 150 %: halves away from zero", scale(cells, block, 150), {18, 20, 21, 33, 35, 36}},
        {"scale 100 %", scale(cells, block, 100), {12, 13, 14, 22, 23, 24}},
        {"scale 0 %", scale(cells, block, 0), {0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(blockValues(c.result.cells, block), c.expected) << c.what;
        EXPECT_TRUE(c.result.saturated.empty()) << c.what;
        expectOutsideUnchanged(cells, c.result.cells, block, c.what);
    }
}

// 2x2 corners 0, 30 / 60, 120 spread over a 3x4 block, by hand: the top row 0 10 20 30, the
// bottom 60 80 100 120, the middle row halfway between.
TEST(BlockOperations, InterpolationWorkedValues) {
    const Block block{2, 3, 4, 6};
    MapCells cells = scrambled();
    const auto put = [&cells](int row, int column, int value) {
        cells[static_cast<size_t>(row * protocol::kMapColumns + column)] =
            static_cast<uint8_t>(value);
    };
    put(2, 3, 0);
    put(2, 6, 30);
    put(4, 3, 60);
    put(4, 6, 120);
    const BlockResult bilinear = interpolate(cells, block, Interpolation::bilinear);
    EXPECT_EQ(blockValues(bilinear.cells, block),
              (std::vector<int>{0, 10, 20, 30, 30, 45, 60, 75, 60, 80, 100, 120}));
    expectOutsideUnchanged(cells, bilinear.cells, block, "bilinear");

    // Along rows the middle row runs between its own ends; along columns each column between
    // its own top and bottom.
    const int middleFirst = at(cells, 3, 3);
    const int middleLast = at(cells, 3, 6);
    const BlockResult rows = interpolate(cells, block, Interpolation::rows);
    for (int column = 3; column <= 6; ++column) {
        const double exact = middleFirst + (middleLast - middleFirst) * (column - 3) / 3.0;
        EXPECT_EQ(at(rows.cells, 3, column), std::lround(exact)) << column;
    }
    const BlockResult columns = interpolate(cells, block, Interpolation::columns);
    for (int column = 3; column <= 6; ++column) {
        const int top = at(cells, 2, column);
        const int bottom = at(cells, 4, column);
        EXPECT_EQ(at(columns.cells, 3, column), std::lround((top + bottom) / 2.0)) << column;
    }
}

// A bump of 16 steps in the middle of a constant 3x3 block, against the 1 2 1 / 2 4 2 / 1 2 1
// kernel over the neighbours inside the block: centre (4 x 116 + 12 x 100) / 16 = 104, an edge
// (10 x 100 + 2 x 116) / 12 = 102.7, a corner (8 x 100 + 116) / 9 = 101.8. The cells around the
// block are far off and must neither be read nor moved.
TEST(BlockOperations, SmoothingSpreadsABumpOverTheBlockOnly) {
    const Block block{5, 5, 7, 7};
    MapCells cells = cellsFrom([&block](int row, int column) {
        if (!block.contains(row, column)) {
            return (row + column) % 2 == 0 ? 0 : 255;
        }
        return row == 6 && column == 6 ? 116 : 100;
    });
    const BlockResult smoothed = smooth(cells, block);
    EXPECT_EQ(blockValues(smoothed.cells, block),
              (std::vector<int>{102, 103, 102, 103, 104, 103, 102, 103, 102}));
    EXPECT_TRUE(smoothed.saturated.empty());
    expectOutsideUnchanged(cells, smoothed.cells, block, "smooth");
}

TEST(BlockOperations, SmoothingLeavesAConstantBlockAsItIs) {
    for (const Block& block : {Block{4, 4, 9, 10}, Block{0, 0, 3, 3}, Block{15, 0, 15, 14},
                               Block{0, 14, 15, 14}, Block{7, 7, 7, 7}, wholeMap()}) {
        for (int value : {0, 1, 77, 254, 255}) {
            MapCells cells = scrambled();
            for (int row = block.firstRow; row <= block.lastRow; ++row) {
                for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
                    cells[static_cast<size_t>(row * protocol::kMapColumns + column)] =
                        static_cast<uint8_t>(value);
                }
            }
            EXPECT_EQ(smooth(cells, block).cells, cells)
                << value << " in " << block.firstRow << ',' << block.firstColumn << '-'
                << block.lastRow << ',' << block.lastColumn;
        }
    }
}

// Planes in steps with slopes that are not whole steps: each kind, given only the cells it reads
// (the rest scrambled), must give back the plane within one step, on blocks of every shape.
TEST(BlockOperations, InterpolationReproducesAPlane) {
    struct Plane {
        double base, perRow, perColumn;
    };
    const Plane planes[] = {{10, 7.3, 2.9}, {250, -13.1, -2.7}, {128, 0, 0}, {0, 16.1, 0.4}};
    const Block blocks[] = {wholeMap(),    {3, 2, 9, 11}, {0, 0, 1, 1},
                            {6, 0, 6, 14}, {0, 9, 15, 9}, {12, 12, 15, 14}};
    // Which cells each kind reads: it must not need any other.
    const struct {
        Interpolation kind;
        const char* name;
        bool (*reads)(const Block&, int row, int column);
    } kinds[] = {
        {Interpolation::bilinear, "bilinear",
         [](const Block& b, int r, int c) {
             return (r == b.firstRow || r == b.lastRow) &&
                    (c == b.firstColumn || c == b.lastColumn);
         }},
        {Interpolation::rows, "rows",
         [](const Block& b, int, int c) { return c == b.firstColumn || c == b.lastColumn; }},
        {Interpolation::columns, "columns",
         [](const Block& b, int r, int) { return r == b.firstRow || r == b.lastRow; }},
    };
    for (const Plane& plane : planes) {
        // Every plane here stays inside 0 … 255 on the whole map.
        const auto exact = [&plane](int row, int column) {
            return plane.base + plane.perRow * row + plane.perColumn * column;
        };
        for (const Block& block : blocks) {
            for (const auto& kind : kinds) {
                const MapCells scrambledMap = scrambled();
                const MapCells cells = cellsFrom([&](int row, int column) {
                    const bool read = block.contains(row, column) && kind.reads(block, row, column);
                    return read ? static_cast<int>(std::lround(exact(row, column)))
                                : at(scrambledMap, row, column);
                });
                const BlockResult result = interpolate(cells, block, kind.kind);
                EXPECT_TRUE(result.saturated.empty());
                for (int row = block.firstRow; row <= block.lastRow; ++row) {
                    for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
                        EXPECT_NEAR(at(result.cells, row, column), exact(row, column), 1.0)
                            << kind.name << " plane " << plane.base << ' ' << plane.perRow << ' '
                            << plane.perColumn << " at " << row << ',' << column;
                    }
                }
                expectOutsideUnchanged(cells, result.cells, block, kind.name);
            }
        }
    }
}

// The controller holds 0 … 255 steps (0.00 … 5.10 V): beyond either end a cell stops there and
// is named; reaching an end exactly is no saturation.
TEST(BlockOperations, SaturatesAtBothEndsAndNamesTheCellsCut) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Block block{0, 12, 0, 14}; // the top row's last three cells
    const auto withEnd = [](int a, int b, int c) {
        return cellsFrom([=](int row, int column) {
            if (row == 0 && column >= 12) {
                return column == 12 ? a : column == 13 ? b : c;
            }
            return 100;
        });
    };
    const std::vector<MapCell> all = {{0, 12}, {0, 13}, {0, 14}};
    const struct {
        const char* what;
        BlockResult result;
        std::vector<int> expected;
        std::vector<MapCell> saturated;
    } cases[] = {
        {"add 0.2 V near the top",
         add(withEnd(250, 245, 100), block, 0.2),
         {255, 255, 110},
         {{0, 12}}},
        {"add -0.2 V near the bottom",
         add(withEnd(5, 10, 200), block, -0.2),
         {0, 0, 190},
         {{0, 12}}},
        {"scale 200 %",
         scale(withEnd(127, 128, 200), block, 200),
         {254, 255, 255},
         {{0, 13}, {0, 14}}},
        {"scale -50 %: zero stays zero",
         scale(withEnd(0, 1, 255), block, -50),
         {0, 0, 0},
         {{0, 13}, {0, 14}}},
        {"set 5.10 V is the top, not beyond it",
         setTo(withEnd(1, 2, 3), block, 5.10),
         {255, 255, 255},
         {}},
        {"set 5.12 V", setTo(withEnd(1, 2, 3), block, 5.12), {255, 255, 255}, all},
        {"set 0 V is the bottom, not below it", setTo(withEnd(1, 2, 3), block, 0), {0, 0, 0}, {}},
        {"set -1 V", setTo(withEnd(1, 2, 3), block, -1), {0, 0, 0}, all},
        {"set 1e300 V", setTo(withEnd(1, 2, 3), block, 1e300), {255, 255, 255}, all},
        {"add NaN", add(withEnd(1, 2, 3), block, nan), {0, 0, 0}, all},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(blockValues(c.result.cells, block), c.expected) << c.what;
        EXPECT_EQ(c.result.saturated, c.saturated) << c.what;
        expectOutsideUnchanged(withEnd(0, 0, 0), c.result.cells, block, c.what);
    }
}

// Set, add and scale change the one cell; the others have nothing to spread and keep it.
TEST(BlockOperations, OnOneCell) {
    const MapCells cells = scrambled();
    const Block cell{9, 4, 9, 4};
    const int value = at(cells, 9, 4);
    const int expected[] = {
        125,   value, value + 5, static_cast<int>(std::lround(value * 90 / 100.0)),
        value, value, value,     value};
    static_assert(std::size(expected) == std::size(kEveryOperation));
    for (size_t i = 0; i < std::size(kEveryOperation); ++i) {
        const BlockResult result = kEveryOperation[i].run(cells, cell);
        EXPECT_EQ(at(result.cells, 9, 4), expected[i]) << kEveryOperation[i].name;
        expectOutsideUnchanged(cells, result.cells, cell, kEveryOperation[i].name);
    }
}

TEST(BlockOperations, OnTheWholeMap) {
    const MapCells cells = cellsFrom([](int row, int column) { return 3 * row + 2 * column; });
    const Block map = wholeMap();
    EXPECT_EQ(setTo(cells, map, 2.5).cells, cellsFrom([](int, int) { return 125; }));
    // 3 x 7.5 + 2 x 7 = 36.5 on average: halves away from zero.
    EXPECT_EQ(setToAverage(cells, map).cells, cellsFrom([](int, int) { return 37; }));
    EXPECT_EQ(add(cells, map, -0.04).cells,
              cellsFrom([](int row, int column) { return std::max(0, 3 * row + 2 * column - 2); }));
    EXPECT_EQ(add(cells, map, -0.04).saturated, (std::vector<MapCell>{{0, 0}}));
    EXPECT_EQ(scale(cells, map, 200).cells,
              cellsFrom([](int row, int column) { return 6 * row + 4 * column; }));
    for (const Interpolation kind :
         {Interpolation::bilinear, Interpolation::rows, Interpolation::columns}) {
        EXPECT_EQ(interpolate(cells, map, kind).cells, cells) << "the map is a plane already";
    }
    // A checkerboard of 100 and 120 smooths flat to 110, edges included (their weights are
    // scaled to the neighbours present); only a corner sees more of its own colour.
    const MapCells board =
        cellsFrom([](int row, int column) { return (row + column) % 2 == 0 ? 100 : 120; });
    EXPECT_EQ(smooth(board, map).cells, cellsFrom([](int row, int column) {
                  const bool corner = (row == 0 || row == 15) && (column == 0 || column == 14);
                  return !corner ? 110 : (row + column) % 2 == 0 ? 109 : 111;
              }));
}

// A block that is not a block of the map is refused by changing nothing; never read past it.
TEST(BlockOperations, ABlockOutsideTheMapChangesNothing) {
    const MapCells cells = scrambled();
    for (const Block& block : {Block{2, 2, 1, 2}, Block{-1, 0, 3, 3}, Block{0, 0, 16, 3},
                               Block{0, 0, 3, 15}, Block{20, 20, 30, 30}}) {
        for (const NamedOperation& operation : kEveryOperation) {
            const BlockResult result = operation.run(cells, block);
            EXPECT_EQ(result.cells, cells) << operation.name;
            EXPECT_TRUE(result.saturated.empty()) << operation.name;
        }
    }
}

} // namespace
} // namespace krv
