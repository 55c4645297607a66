#pragma once
// The map's in-cell editor item: turns what was typed into the cell's text and, for a header,
// writes the changed break point to the controller.

#include "device/map_file/map_snapshot.h"
#include "platform/grid/item_edit.h"

#include <functional>

namespace krv {

class CMapEmu1;

class CMapEditEmu1 : public CItemEdit {
public:
    // Row header: volts with two decimals, written when the shown value changes. Column
    // header: rpm kept within 500..8000 and between its neighbours, in steps of 100, written
    // when changed. Value cell: shown as a whole number and never sent. Empty input gives
    // an empty text (the cell stays as it was); a decimal comma counts as a point. Gives an
    // empty text as well when the edit is not in a map placed in a window, and for a header
    // while the map's writes are held.
    QString getText() override;

private:
    CMapEmu1* map() const;
    QString rowHeaderText(CMapEmu1& map, int row, double volts);
    QString columnHeaderText(CMapEmu1& map, int column, double rpm);
    // Writes both axes with the edit made to them; a refusal is shown over the grid, which
    // follows the model either way.
    void writeAxes(CMapEmu1& map, std::function<void(MapAxes&)> edit);
};

} // namespace krv
