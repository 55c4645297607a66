#include "map/map_emu1.h"

#include "connection/lpg_connection.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "map/map_compare.h"
#include "map/map_edit_emu1.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace krv {

namespace {

const QString kCornerText = QStringLiteral("V\\RPM");
constexpr int kHeaderHeight = 22;
constexpr int kColumnWidth = 52;
constexpr int kRowHeight = 22;
constexpr int kRowHeaderWidth = 52;
constexpr int kTextMargin = 6;

QString columnHeaderText(double rpm) {
    return QString::fromStdU16String(formatText("%.0f", rpm));
}

QString rowHeaderText(double volts) {
    return QString::fromStdU16String(formatText("%.2f", volts));
}

// The first index whose break point the value is strictly below; the last index when none is.
template <class Axis, class ToValue>
int breakPointIndex(const Axis& axis, double value, ToValue toValue) {
    for (size_t i = 0; i < axis.size(); ++i) {
        if (value < toValue(axis[i])) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(axis.size()) - 1;
}

} // namespace

MapCells adjustedCells(const MapCells& cells, const MapRegion& region) {
    MapCells adjusted = cells;
    const int step = region.direction == MapRegion::kRaise ? region.step : -region.step;
    for (int r = region.firstRow; r < region.firstRow + region.rowCount; ++r) {
        for (int c = region.firstColumn; c < region.firstColumn + region.columnCount; ++c) {
            uint8_t& wire = adjusted[static_cast<size_t>(r) * kMapColumns + c];
            wire = static_cast<uint8_t>(std::clamp(wire + step, 0, 255));
        }
    }
    return adjusted;
}

CMapEmu1::CMapEmu1(CControllerModel& model, QWidget* parent) : CMapArray(parent), model_(model) {}

void CMapEmu1::create(const QFont& font) {
    shown_ = model_.shown();
    QStringList columnHeaders;
    for (uint8_t wire : shown_.columns) {
        columnHeaders << columnHeaderText(units::columnBreakRpm(wire));
    }
    QStringList rowHeaders;
    for (int16_t wire : shown_.rows) {
        rowHeaders << rowHeaderText(units::rowBreakVolts(wire));
    }
    const CellArrayColours colours{QColor(0, 0, 0),       QColor(200, 200, 200),
                                   QColor(0, 0, 0),       QColor(255, 255, 255),
                                   QColor(160, 255, 160), QColor(210, 210, 210)};
    init(std::make_unique<CMapEditEmu1>(), kCornerText, kHeaderHeight, kColumnWidth, columnHeaders,
         kRowHeight, kRowHeaderWidth, rowHeaders, colours, font, kTextMargin);
}

void CMapEmu1::fillFromModel() {
    const std::vector<CCell> before = cellsNow();
    shown_ = model_.shown();
    const MapSnapshot& acknowledged = model_.acknowledged();
    refreshComparison();
    for (int c = 0; c < kMapColumns && c < columnCount(); ++c) {
        for (int r = 0; r < kMapRows && r < rowCount(); ++r) {
            const auto i = static_cast<size_t>(r) * kMapColumns + c;
            setCellValue(c, r, units::mapCellVolts(shown_.cells[i]));
            cell(c, r).setPending(shown_.cells[i] != acknowledged.cells[i]);
        }
        columnHeader(c).setTxt(columnHeaderText(units::columnBreakRpm(shown_.columns[c])));
    }
    for (int r = 0; r < kMapRows && r < rowCount(); ++r) {
        rowHeader(r).setTxt(rowHeaderText(units::rowBreakVolts(shown_.rows[r])));
    }
    updateChangedCells(before);
}

void CMapEmu1::submitEdit(std::u16string_view operation, CControllerModel::Change change,
                          WriteKind kind,
                          std::function<void(bool written, const MapSnapshot& before)> written,
                          const MapRegion& region) {
    model_.submit(
        {{},
         std::move(change),
         kind,
         region,
         std::u16string(operation),
         [written = std::move(written)](const WriteOutcome& outcome, const MapSnapshot& before) {
             if (written) {
                 written(outcome.written(), before);
             }
         }});
}

CellPosition CMapEmu1::cellIndexOf(double rpm, double volts) const {
    return {breakPointIndex(shown_.columns, rpm, units::columnBreakRpm),
            breakPointIndex(shown_.rows, volts, units::rowBreakVolts)};
}

QString CMapEmu1::formatValue(double value) const {
    // The controller's step is 0.02 V: one decimal would hide most steps.
    return QString::fromStdU16String(formatText("%.2f", value));
}

void CMapEmu1::incrementSelected(double step) {
    const auto bounds = selectionBounds();
    if (!bounds || writesHeld()) {
        return;
    }
    if (!model_.loaded()) {
        stepSelectedOnScreen(step);
        return;
    }
    const MapRegion region = regionOf(bounds->first, step);
    submitEdit(
        u"CMapEmu1::incrementSelected()",
        [region](const MapSnapshot& base) {
            MapSnapshot stepped = base;
            stepped.cells = adjustedCells(base.cells, region);
            return std::optional<MapSnapshot>(stepped);
        },
        WriteKind::RegionStep,
        [this](bool written, const MapSnapshot& before) {
            if (written) {
                recordChange(before);
            }
        },
        region);
}

void CMapEmu1::stepSelectedOnScreen(double step) {
    // Each step works on the value as shown, so the cells never drift from their texts.
    for (int c = 0; c < columnCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            if (cell(c, r).isSelected()) {
                setCellValue(c, r, std::clamp(getCellValue(c, r) + step, minValue(), maxValue()));
            }
        }
    }
    update();
}

MapRegion CMapEmu1::regionOf(CellPosition topLeft, double step) const {
    const auto [c0, r0] = topLeft;
    int columns = 0;
    while (c0 + columns < columnCount() && cell(c0 + columns, r0).isSelected()) {
        ++columns;
    }
    int rows = 0;
    while (r0 + rows < rowCount() && cell(c0, r0 + rows).isSelected()) {
        ++rows;
    }
    rows = std::min(rows, kMapRows - r0);
    columns = std::min(columns, kMapColumns - c0);
    // Map units of 0.02 V: round(200 x |step|) / 4.
    const auto units = static_cast<long>(std::round(std::fabs(step) * 200.0));
    MapRegion region;
    region.firstRow = static_cast<uint8_t>(r0);
    region.firstColumn = static_cast<uint8_t>(c0);
    region.rowCount = static_cast<uint8_t>(rows);
    region.columnCount = static_cast<uint8_t>(columns);
    region.direction = step > 0 ? MapRegion::kRaise : MapRegion::kLower;
    region.step = static_cast<uint8_t>(((units & 0xFFFF) >> 2) & 0xFF);
    return region;
}

void CMapEmu1::setChangeRecorder(std::function<void(const MapSnapshot& before)> recorder) {
    changeRecorder_ = std::move(recorder);
}

void CMapEmu1::recordChange(const MapSnapshot& before) {
    if (changeRecorder_) {
        changeRecorder_(before);
    }
}

void CMapEmu1::compareWith(std::optional<MapSnapshot> file) {
    comparedFile_ = std::move(file);
    if (!comparedFile_) {
        setCellMarks({});
    }
    refreshComparison();
}

void CMapEmu1::refreshComparison() {
    if (comparedFile_) {
        setCellMarks(compareMarks(model_.shown(), *comparedFile_));
    }
}

} // namespace krv
