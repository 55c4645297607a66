#include "app/calibration_marks.h"

#include "calibration/calibration_texts.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "map/map_compare.h"
#include "platform/text.h"

namespace krv {

namespace {

const QColor kUnreached(255, 255, 255);
const QColor kTooFew(255, 226, 150);
const QColor kLearned(170, 228, 170);

std::u16string_view statusText(CellStatus status) {
    switch (status) {
    case CellStatus::Learned:
        return texts::kCellLearned;
    case CellStatus::TooFew:
        return texts::kCellTooFew;
    case CellStatus::Predicted:
        return texts::kCellPredicted;
    case CellStatus::Unchanged:
        break;
    }
    return texts::kCellUnreached;
}

QColor coverageColour(CellStatus status) {
    switch (status) {
    case CellStatus::Learned:
    case CellStatus::Predicted:
        return kLearned;
    case CellStatus::TooFew:
        return kTooFew;
    case CellStatus::Unchanged:
        break;
    }
    return kUnreached;
}

QString line(std::u16string_view text, std::initializer_list<std::u16string_view> values) {
    return QString::fromStdU16String(fillIn(translate(text), values));
}

template <class Colour>
std::vector<CellMark> marksOf(const CalibrationProposal& proposal, Colour colour) {
    std::vector<CellMark> marks(kMapCells);
    for (size_t i = 0; i < kMapCells; ++i) {
        marks[i] = {colour(proposal.cells[i]), cellDetails(proposal.cells[i])};
    }
    return marks;
}

} // namespace

std::vector<CellMark> coverageMarks(const CalibrationProposal& proposal,
                                    std::span<const TrailPoint> trail) {
    std::vector<CellMark> marks =
        marksOf(proposal, [](const CellProposal& cell) { return coverageColour(cell.status); });
    std::vector<QColor> colours;
    for (const CellMark& mark : marks) {
        colours.push_back(mark.background);
    }
    paintTrail(colours, trail);
    for (size_t i = 0; i < marks.size(); ++i) {
        marks[i].background = colours[i];
    }
    return marks;
}

std::vector<CellMark> differenceMarks(const CalibrationProposal& proposal) {
    return marksOf(proposal, [](const CellProposal& cell) {
        return differenceColour(int(cell.proposed) - int(cell.current));
    });
}

QString cellDetails(const CellProposal& cell) {
    const double current = units::mapCellVolts(cell.current);
    const double proposed = units::mapCellVolts(cell.proposed);
    QString details = QString::fromStdU16String(translate(statusText(cell.status)));
    details += u'\n' + line(texts::kCellInController, {formatText("%.2f", current)});
    if (cell.status == CellStatus::Learned || cell.status == CellStatus::Predicted) {
        details += u'\n' + line(texts::kCellProposed, {formatText("%.2f", proposed),
                                                       formatText("%+.2f", proposed - current)});
    }
    if (cell.hits > 0) {
        details += u'\n' + line(texts::kCellHits, {toU16(std::to_string(cell.hits)),
                                                   formatText("%.3f", cell.spreadVolts)});
    }
    const std::u16string rejected = rejectionsLine(cell.rejected);
    if (!rejected.empty()) {
        details += u'\n' + QString::fromStdU16String(rejected);
    }
    return details;
}

} // namespace krv
