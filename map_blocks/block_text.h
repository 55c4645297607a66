#pragma once
// A block of the map as text a spreadsheet exchanges: copy out, and paste (or paste-add) in.

#include "map_blocks/block_operations.h"

#include <optional>
#include <string>
#include <string_view>

namespace krv {

// Volts with two decimals, a tab between cells, a line feed after every row. decimalPoint is
// '.' or the ',' that a spreadsheet in a Polish locale reads as a number.
std::string copyText(const MapCells& cells, const Block& block, char decimalPoint = '.');

// A plain decimal as a person or a spreadsheet writes it: an optional sign, digits, a dot or a
// comma and digits; blanks around it. Nothing for anything else ("1e3", "nan", "", "1.2.3")
// and for a number beyond what a double holds.
std::optional<double> parseDecimal(std::string_view text);

struct PasteResult {
    std::optional<BlockResult> result;
    Block pasted;         // the cells the text went to
    std::u16string error; // translated; names the row and column of the text at fault

    bool ok() const { return result.has_value(); }
};

// Rows of tab-separated volts (line feed or CR LF, the last line break optional) put into the
// map from the block's top-left cell. A block that is a whole multiple of the text's size both
// ways is filled with copies of it, as a spreadsheet pastes one value into a whole selection.
// Refused whole, with the reason, when a value is not a number, the rows differ in length or
// the text does not fit in the map from there.
PasteResult paste(const MapCells& cells, const Block& block, std::string_view text);
// The text's values added to the cells instead (negative ones lower them).
PasteResult pasteAdd(const MapCells& cells, const Block& block, std::string_view text);

} // namespace krv
