// Copy and paste as a spreadsheet exchanges a block: the text copied, what a paste accepts and
// where it puts it, and malformed text refused whole with the reason.

#include "map_blocks/block_text.h"
#include "platform/text.h"
#include "tests/map_blocks/map_cells.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

using test::at;
using test::cellsFrom;
using test::scrambled;

TEST(BlockText, CopyIsVoltsWithTwoDecimalsTabsAndLineFeeds) {
    const MapCells cells = cellsFrom([](int row, int column) {
        return row == 0 && column == 0 ? 0 : row == 0 ? 1 : column == 0 ? 255 : 125;
    });
    EXPECT_EQ(copyText(cells, {0, 0, 1, 1}), "0.00\t0.02\n5.10\t2.50\n");
    EXPECT_EQ(copyText(cells, {0, 0, 1, 1}, ','), "0,00\t0,02\n5,10\t2,50\n");
    EXPECT_EQ(copyText(cells, {1, 1, 1, 1}), "2.50\n");
}

// Every wire value goes out and comes back exactly, with either decimal mark, and lands where
// it was taken from.
TEST(BlockText, CopyThenPasteGivesBackEveryValue) {
    const MapCells cells = scrambled();
    const MapCells other = cellsFrom([](int, int) { return 7; });
    for (const char mark : {'.', ','}) {
        for (const Block& block : {wholeMap(), Block{3, 4, 8, 12}, Block{15, 14, 15, 14}}) {
            const PasteResult pasted = paste(other, block, copyText(cells, block, mark));
            ASSERT_TRUE(pasted.ok()) << toUtf8(pasted.error);
            EXPECT_EQ(pasted.pasted, block);
            EXPECT_TRUE(pasted.result->saturated.empty());
            for (int row = 0; row < protocol::kMapRows; ++row) {
                for (int column = 0; column < protocol::kMapColumns; ++column) {
                    const MapCells& source = block.contains(row, column) ? cells : other;
                    EXPECT_EQ(at(pasted.result->cells, row, column), at(source, row, column))
                        << mark << " at " << row << ',' << column;
                }
            }
        }
    }
}

TEST(BlockText, DecimalsAsPeopleAndSpreadsheetsWriteThem) {
    const struct {
        const char* text;
        double value;
    } read[] = {{"2.5", 2.5},      {"2,5", 2.5},
                {" -0.10 ", -0.1}, {"+1", 1},
                {"3", 3},          {"007", 7},
                {"0,02", 0.02},    {"\t4.25 ", 4.25},
                {"-0", 0},         {"12345678901234567890", 12345678901234567890.0}};
    for (const auto& c : read) {
        ASSERT_TRUE(parseDecimal(c.text).has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*parseDecimal(c.text), c.value) << c.text;
    }
    const std::string tooLarge = "1" + std::string(400, '0');
    EXPECT_EQ(parseDecimal(tooLarge), std::nullopt);
    for (const char* text : {"", " ", "-", "+", "1.", ".5", "1e3", "nan", "inf", "1.2.3", "1,2,3",
                             "0x10", "1 2", "--1", "+-1", "2.5V", "1,", "١"}) {
        EXPECT_EQ(parseDecimal(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(BlockText, PastePutsTheTextFromTheBlocksTopLeftCell) {
    const MapCells cells = scrambled();
    const struct {
        const char* what;
        Block block;
        const char* text;
        Block pasted;
        std::vector<std::vector<int>> values;
    } cases[] = {
        {"CR LF and a trailing line break, both decimal marks",
         {2, 3, 2, 3},
         "1.00\t2,00\r\n3.00\t4.00\r\n",
         {2, 3, 3, 4},
         {{50, 100}, {150, 200}}},
        {"no trailing line break",
         {0, 0, 0, 0},
         "0.5\t0.6\n0.7\t0.8",
         {0, 0, 1, 1},
         {{25, 30}, {35, 40}}},
        {"a larger block than the text, not a multiple of it",
         {5, 5, 7, 9},
         "1\t2\n",
         {5, 5, 5, 6},
         {{50, 100}}},
        {"one value fills the whole block",
         {4, 2, 6, 5},
         "2.5\n",
         {4, 2, 6, 5},
         {{125, 125, 125, 125}, {125, 125, 125, 125}, {125, 125, 125, 125}}},
        {"a row of two repeated over a block of 2 x 4",
         {0, 10, 1, 13},
         "1\t2",
         {0, 10, 1, 13},
         {{50, 100, 50, 100}, {50, 100, 50, 100}}},
        {"right to the map's last cell",
         {14, 13, 15, 14},
         "0\t0.02\n0.04\t5.1\n",
         {14, 13, 15, 14},
         {{0, 1}, {2, 255}}},
        {"blanks around values", {1, 1, 1, 1}, " 1.00 \t 2.00\n", {1, 1, 1, 2}, {{50, 100}}},
    };
    for (const auto& c : cases) {
        const PasteResult result = paste(cells, c.block, c.text);
        ASSERT_TRUE(result.ok()) << c.what << ": " << toUtf8(result.error);
        EXPECT_EQ(result.pasted, c.pasted) << c.what;
        for (int row = 0; row < protocol::kMapRows; ++row) {
            for (int column = 0; column < protocol::kMapColumns; ++column) {
                const int expected =
                    c.pasted.contains(row, column)
                        ? c.values[static_cast<size_t>(row - c.pasted.firstRow)]
                                  [static_cast<size_t>(column - c.pasted.firstColumn)]
                        : at(cells, row, column);
                EXPECT_EQ(at(result.result->cells, row, column), expected)
                    << c.what << " at " << row << ',' << column;
            }
        }
    }
}

TEST(BlockText, PasteSaturatesAndNamesTheCellsCut) {
    const MapCells cells = scrambled();
    const PasteResult result = paste(cells, {3, 0, 3, 0}, "6\t-1\t5.10\t0\n");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(at(result.result->cells, 3, 0), 255);
    EXPECT_EQ(at(result.result->cells, 3, 1), 0);
    EXPECT_EQ(at(result.result->cells, 3, 2), 255);
    EXPECT_EQ(at(result.result->cells, 3, 3), 0);
    EXPECT_EQ(result.result->saturated, (std::vector<MapCell>{{3, 0}, {3, 1}}));
}

TEST(BlockText, PasteAddMovesEachCellByItsValue) {
    const MapCells cells = cellsFrom([](int, int) { return 100; });
    const PasteResult result = pasteAdd(cells, {0, 0, 0, 0}, "0.1\t-0.1\t-3\t3\n");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(at(result.result->cells, 0, 0), 105);
    EXPECT_EQ(at(result.result->cells, 0, 1), 95);
    EXPECT_EQ(at(result.result->cells, 0, 2), 0);
    EXPECT_EQ(at(result.result->cells, 0, 3), 250);
    EXPECT_EQ(result.result->saturated, (std::vector<MapCell>{{0, 2}}));

    // One offset over a whole block, as a spreadsheet pastes one value into a selection.
    const PasteResult raised = pasteAdd(scrambled(), wholeMap(), "0,2");
    ASSERT_TRUE(raised.ok());
    for (size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(raised.result->cells[i], std::min(255, scrambled()[i] + 10)) << i;
    }
}

TEST(BlockText, MalformedTextIsRefusedWithTheReason) {
    const std::string seventeenRows = [] {
        std::string text;
        for (int row = 0; row < 17; ++row) {
            text += "1\n";
        }
        return text;
    }();
    const struct {
        const char* what;
        Block block;
        std::string text;
        const char16_t* reason;
    } cases[] = {
        {"empty", {0, 0, 0, 0}, "", u"Brak wartości do wklejenia."},
        {"only line breaks", {0, 0, 0, 0}, "\r\n\n", u"Brak wartości do wklejenia."},
        {"a word",
         {0, 0, 0, 0},
         "1.0\tx\n",
         u"Wklejany tekst, wiersz 1, kolumna 2: „x” nie jest liczbą."},
        {"an empty cell",
         {0, 0, 0, 0},
         "1\t2\n3\t\n",
         u"Wklejany tekst, wiersz 2, kolumna 2: „” nie jest liczbą."},
        {"an exponent",
         {0, 0, 0, 0},
         "1e3",
         u"Wklejany tekst, wiersz 1, kolumna 1: „1e3” nie jest liczbą."},
        {"a short row",
         {0, 0, 0, 0},
         "1\t2\n3\n",
         u"Wklejany tekst, wiersz 2: liczba wartości 1, a w pierwszym wierszu 2."},
        {"an empty line between rows",
         {0, 0, 0, 0},
         "1\t2\n\n3\t4\n",
         u"Wklejany tekst, wiersz 2: liczba wartości 1, a w pierwszym wierszu 2."},
        {"a long text, shown cut before the character it would split",
         {0, 0, 0, 0},
         std::string(23, 'x') + "żółw" + std::string(100000, 'x'),
         u"Wklejany tekst, wiersz 1, kolumna 1: „xxxxxxxxxxxxxxxxxxxxxxx…” nie jest liczbą."},
        {"past the last column",
         {0, 13, 0, 13},
         "1\t2\t3\n",
         u"Wklejany blok 1 × 3 nie mieści się w mapie od komórki 1,14."},
        {"past the last row",
         {0, 0, 0, 0},
         seventeenRows,
         u"Wklejany blok 17 × 1 nie mieści się w mapie od komórki 1,1."},
    };
    const MapCells cells = scrambled();
    for (const auto& c : cases) {
        for (const auto operation : {paste, pasteAdd}) {
            const PasteResult result = operation(cells, c.block, c.text);
            EXPECT_FALSE(result.ok()) << c.what;
            EXPECT_EQ(toUtf8(result.error), toUtf8(c.reason)) << c.what;
        }
    }
}

} // namespace
} // namespace krv
