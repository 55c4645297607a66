#include "map/map_emu1.h"

#include "platform/text.h"

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

// The first index whose break point value is strictly below; the last index when none is.
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
    init(std::make_unique<CItemEdit>(), kCornerText, kHeaderHeight, kColumnWidth, columnHeaders,
         kRowHeight, kRowHeaderWidth, rowHeaders, colours, font, kTextMargin);
}

void CMapEmu1::fillFromDevice() {
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

CellPosition CMapEmu1::cellIndexOf(double rpm, double volts) const {
    return {breakPointIndex(device_.columnAxis, rpm), breakPointIndex(device_.rowAxis, volts)};
}

QString CMapEmu1::formatValue(double value) const {
    return QString::fromStdU16String(formatText("%.1f", value));
}

void CMapEmu1::incrementSelected(double step) {
    for (int c = 0; c < columnCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            if (cell(c, r).isSelected()) {
                const double raised = std::min(getCellValue(c, r) + step, maxValue());
                setCellValue(c, r, std::max(raised, minValue()));
            }
        }
    }
    update();
}

} // namespace krv
