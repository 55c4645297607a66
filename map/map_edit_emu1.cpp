#include "map/map_edit_emu1.h"

#include "device/editable_limits.h"
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
    CLPGDevice& device = grid.device();
    // Changed means the header would show another value: the model never differs from
    // what the grid shows after an edit.
    if (device.connected && formatted("%.2f", device.rowAxis.at(row)) != text) {
        const MapSnapshot before = snapshotOf(device);
        device.rowAxis.at(row) = volts;
        writeAxes(grid, before);
    }
    return text;
}

QString CMapEditEmu1::columnHeaderText(CMapEmu1& grid, int column, double rpm) {
    CLPGDevice& device = grid.device();
    auto& axis = device.columnAxis;
    const int last = static_cast<int>(axis.size()) - 1;
    rpm = std::clamp(rpm, limits::kLowestColumnRpm, limits::kHighestColumnRpm);
    // Keep the axis increasing.
    if (column < last && rpm >= axis.at(column + 1)) {
        rpm = axis.at(column + 1) - limits::kColumnRpmStep;
    }
    if (column > 0 && rpm <= axis.at(column - 1)) {
        rpm = axis.at(column - 1) + limits::kColumnRpmStep;
    }
    rpm = std::round(rpm / limits::kColumnRpmStep) * limits::kColumnRpmStep;
    const QString text = formatted("%.0f", rpm);
    if (device.connected && axis.at(column) != rpm) {
        const MapSnapshot before = snapshotOf(device);
        axis.at(column) = rpm;
        writeAxes(grid, before);
    }
    return text;
}

void CMapEditEmu1::writeAxes(CMapEmu1& grid, const MapSnapshot& before) {
    // The grid is refreshed after a refusal as well; only an error object leaves it be.
    QPointer<CMapEmu1> refreshed(&grid);
    grid.runCommand(
        kOperation, [&device = grid.device()] { return device.writeMapAxes(); },
        [refreshed, before](bool written) {
            if (!refreshed) {
                return;
            }
            if (written) {
                refreshed->recordChange(before);
            }
            refreshed->showDeviceData();
        });
}

} // namespace krv
