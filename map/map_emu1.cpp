#include "map/map_emu1.h"

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
template <size_t N> int breakPointIndex(const std::array<double, N>& axis, double value) {
    for (size_t i = 0; i < N; ++i) {
        if (value < axis[i]) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(N) - 1;
}

} // namespace

CMapEmu1::CMapEmu1(CLPGDevice& device, QWidget* parent) : CMapArray(parent), device_(device) {}

void CMapEmu1::create(const QFont& font) {
    QStringList columnHeaders;
    for (double rpm : device_.columnAxis) {
        columnHeaders << columnHeaderText(rpm);
    }
    QStringList rowHeaders;
    for (double volts : device_.rowAxis) {
        rowHeaders << rowHeaderText(volts);
    }
    const CellArrayColours colours{QColor(0, 0, 0),       QColor(200, 200, 200),
                                   QColor(0, 0, 0),       QColor(255, 255, 255),
                                   QColor(160, 255, 160), QColor(210, 210, 210)};
    init(std::make_unique<CMapEditEmu1>(), kCornerText, kHeaderHeight, kColumnWidth, columnHeaders,
         kRowHeight, kRowHeaderWidth, rowHeaders, colours, font, kTextMargin);
}

void CMapEmu1::fillFromDevice() {
    refreshComparison();
    for (int c = 0; c < kMapColumns && c < columnCount(); ++c) {
        for (int r = 0; r < kMapRows && r < rowCount(); ++r) {
            setCellValue(c, r, device_.map[static_cast<size_t>(r) * kMapColumns + c]);
        }
        columnHeader(c).setTxt(columnHeaderText(device_.columnAxis[c]));
    }
    for (int r = 0; r < kMapRows && r < rowCount(); ++r) {
        rowHeader(r).setTxt(rowHeaderText(device_.rowAxis[r]));
    }
    update();
}

void CMapEmu1::setShowDeviceData(std::function<void()> showDeviceData) {
    showDeviceData_ = std::move(showDeviceData);
}

void CMapEmu1::showDeviceData() {
    if (showDeviceData_) {
        showDeviceData_();
    } else {
        fillFromDevice();
    }
}

void CMapEmu1::setCommandRunner(CommandRunner runner) {
    runner_ = std::move(runner);
}

void CMapEmu1::runCommand(std::u16string_view operation, Exchanges exchanges,
                          std::function<void(bool written)> answered) {
    // Reported from wherever the exchanges run; the owners are taken here, on the window's
    // thread.
    QWidget* const grid = this;
    QWidget* const owner = window();
    auto written = std::make_shared<bool>(false);
    Exchanges reported = [operation, grid, owner, written, exchanges = std::move(exchanges)] {
        bool answeredWithoutError = false;
        reportingErrors(owner, operation, [&] {
            *written = exchanges();
            if (!*written) {
                showProgramMessage(grid, texts::kWriteSettingsFailed, MB_ICONERROR);
            }
            answeredWithoutError = true;
        });
        return answeredWithoutError;
    };
    auto finished = [written, answered = std::move(answered)](bool answeredWithoutError) {
        if (answeredWithoutError) {
            answered(*written);
        }
    };
    if (runner_) {
        runner_(std::move(reported), std::move(finished));
    } else {
        finished(reported());
    }
}

CellPosition CMapEmu1::cellIndexOf(double rpm, double volts) const {
    return {breakPointIndex(device_.columnAxis, rpm), breakPointIndex(device_.rowAxis, volts)};
}

QString CMapEmu1::formatValue(double value) const {
    return QString::fromStdU16String(formatText("%.1f", value));
}

void CMapEmu1::incrementSelected(double step) {
    const auto bounds = selectionBounds();
    if (!bounds) {
        return;
    }
    const MapSnapshot before = snapshotOf(device_);
    // Each step works on the value as shown, so the cells never drift from their texts.
    for (int c = 0; c < columnCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            if (cell(c, r).isSelected()) {
                double value = getCellValue(c, r) + step;
                if (value > maxValue()) {
                    value = maxValue();
                }
                if (value < minValue()) {
                    value = minValue();
                }
                setCellValue(c, r, value);
            }
        }
    }
    update();
    if (!device_.connected) {
        return;
    }
    const MapRegion region = regionOf(bounds->first, step);
    runCommand(
        u"CMapEmu1::incrementSelected()",
        [&device = device_, region] { return device.adjustMapRegion(region) && device.storeMap(); },
        [this, region, before](bool written) {
            if (written) {
                applyRegionToDevice(region);
                refreshComparison();
                recordChange(before);
            }
        });
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

void CMapEmu1::applyRegionToDevice(const MapRegion& region) {
    const int step = region.direction == MapRegion::kRaise ? region.step : -region.step;
    for (int r = region.firstRow; r < region.firstRow + region.rowCount; ++r) {
        for (int c = region.firstColumn; c < region.firstColumn + region.columnCount; ++c) {
            double& volts = device_.map[static_cast<size_t>(r) * kMapColumns + c];
            const int wire = std::clamp(units::mapCellWire(volts) + step, 0, 255);
            volts = units::mapCellVolts(static_cast<uint8_t>(wire));
        }
    }
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
        setCellMarks(compareMarks(snapshotOf(device_), *comparedFile_));
    }
}

} // namespace krv
