#include "map/map_edit_emu1.h"

#include "connection/lpg_connection.h"
#include "device/editable_limits.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "map/leading_number.h"
#include "map/map_emu1.h"
#include "platform/text.h"

#include <QPointer>
#include <algorithm>
#include <cmath>

namespace krv {

namespace {

constexpr std::u16string_view kOperation = u"CMapEdit::getText()";

QString formatted(const char* format, double value) {
    return QString::fromStdU16String(formatText(format, value));
}

} // namespace

CMapEmu1* CMapEditEmu1::map() const {
    QWidget* window = getWindow();
    return window != nullptr ? qobject_cast<CMapEmu1*>(window->parentWidget()) : nullptr;
}

QString CMapEditEmu1::getText() {
    CMapEmu1* grid = map();
    if (grid == nullptr || grid->parentWidget() == nullptr) {
        return {};
    }
    QString typed = CItemEdit::getText();
    typed.replace(QLatin1Char(','), QLatin1Char('.'));
    if (typed.isEmpty()) {
        return {};
    }
    const double value = leadingNumber(typed.toStdU16String());
    const int column = grid->editedColumn();
    const int row = grid->editedRow();
    if ((column == -1 || row == -1) && grid->writesHeld()) {
        return {}; // a header the controller would not get stays as it is
    }
    if (column == -1) {
        return rowHeaderText(*grid, row, value);
    }
    if (row == -1) {
        return columnHeaderText(*grid, column, value);
    }
    return formatted("%.0f", value);
}

QString CMapEditEmu1::rowHeaderText(CMapEmu1& grid, int row, double volts) {
    volts = std::clamp(volts, limits::kLowestRowVolts, limits::kHighestRowVolts);
    const QString text = formatted("%.2f", volts);
    // Changed means the header would show another value: the model never differs from
    // what the grid shows after an edit.
    const double shown = units::rowBreakVolts(grid.shownState().rows.at(row));
    if (grid.model().loaded() && formatted("%.2f", shown) != text) {
        const int16_t wire = units::rowBreakWire(volts);
        writeAxes(grid, [row, wire](MapAxes& axes) { axes.rows.at(row) = wire; });
        // Pending, or already what the controller answered.
        return formatted("%.2f", units::rowBreakVolts(grid.model().shown().rows.at(row)));
    }
    return text;
}

QString CMapEditEmu1::columnHeaderText(CMapEmu1& grid, int column, double rpm) {
    const auto& axis = grid.shownState().columns;
    const auto at = [&axis](int i) { return units::columnBreakRpm(axis.at(i)); };
    const int last = static_cast<int>(axis.size()) - 1;
    rpm = std::clamp(rpm, limits::kLowestColumnRpm, limits::kHighestColumnRpm);
    // Keep the axis increasing.
    if (column < last && rpm >= at(column + 1)) {
        rpm = at(column + 1) - limits::kColumnRpmStep;
    }
    if (column > 0 && rpm <= at(column - 1)) {
        rpm = at(column - 1) + limits::kColumnRpmStep;
    }
    rpm = std::round(rpm / limits::kColumnRpmStep) * limits::kColumnRpmStep;
    const QString text = formatted("%.0f", rpm);
    if (grid.model().loaded() && at(column) != rpm) {
        const uint8_t wire = units::columnBreakWire(rpm);
        writeAxes(grid, [column, wire](MapAxes& axes) { axes.columns.at(column) = wire; });
        return formatted("%.0f", units::columnBreakRpm(grid.model().shown().columns.at(column)));
    }
    return text;
}

void CMapEditEmu1::writeAxes(CMapEmu1& grid, std::function<void(MapAxes&)> edit) {
    // The edit is one break point: a second edit made while the first is written changes
    // its own break point of the axes the first left.
    QPointer<CMapEmu1> recorded(&grid);
    grid.submitEdit(
        kOperation,
        [edit](const MapSnapshot& base) {
            MapAxes axes = base.axes();
            edit(axes);
            MapSnapshot edited = base;
            edited.setAxes(axes);
            return std::optional<MapSnapshot>(edited);
        },
        WriteKind::Axes,
        [recorded](bool written, const MapSnapshot& before) {
            if (written && recorded) {
                recorded->recordChange(before);
            }
        });
}

} // namespace krv
