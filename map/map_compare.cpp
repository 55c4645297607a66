#include "map/map_compare.h"

#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdlib>

namespace krv {

namespace {

// Paler for a step of 0.02 V, full at 0.5 V (25 steps) and beyond.
constexpr int kFullSteps = 25;
constexpr int kPalest = 215;
constexpr int kDeepest = 40;

} // namespace

QColor differenceColour(int steps) {
    if (steps == 0) {
        return QColor(255, 255, 255);
    }
    const int depth = std::min(std::abs(steps), kFullSteps);
    const int k = kPalest - (kPalest - kDeepest) * (depth - 1) / (kFullSteps - 1);
    return steps > 0 ? QColor(255, k, k) : QColor(k, k, 255);
}

std::vector<CellMark> compareMarks(const MapSnapshot& controller, const MapSnapshot& file) {
    std::vector<CellMark> marks(kMapCells);
    const QString inFile = QString::fromStdU16String(translate(texts::kInFile));
    for (size_t i = 0; i < kMapCells; ++i) {
        marks[i].background = differenceColour(int(controller.cells[i]) - int(file.cells[i]));
        marks[i].toolTip = inFile + QString::fromStdU16String(
                                        formatText(" %.2f V", units::mapCellVolts(file.cells[i])));
    }
    return marks;
}

std::vector<CellMark> differenceMarks(const MapSnapshot& now, const MapSnapshot& before) {
    std::vector<CellMark> marks(kMapCells);
    for (size_t i = 0; i < kMapCells; ++i) {
        const int steps = int(now.cells[i]) - int(before.cells[i]);
        marks[i].background = differenceColour(steps);
        marks[i].toolTip = QString::fromStdU16String(formatText(
            "%+.2f V", units::mapCellVolts(now.cells[i]) - units::mapCellVolts(before.cells[i])));
    }
    return marks;
}

} // namespace krv
