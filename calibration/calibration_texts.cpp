#include "calibration/calibration_texts.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"

#include <array>
#include <cmath>

namespace krv {

namespace {

constexpr std::array<std::u16string_view, kRejectionCount> kReasonTexts{
    texts::kRejectedOnGas,         texts::kRejectedDropout,       texts::kRejectedEngineStopped,
    texts::kRejectedShortHistory,  texts::kRejectedSpeedChanging, texts::kRejectedLoadChanging,
    texts::kRejectedInputSettling, texts::kRejectedOutlier,
};

std::u16string number(long value) {
    return toU16(std::to_string(value));
}

} // namespace

std::u16string summaryLine(const CalibrationSummary& summary) {
    return fillIn(translate(texts::kCalibrationSummary),
                  {number(summary.learned), number(summary.tooFew),
                   number(std::lround(summary.rejectedPercent()))});
}

std::u16string summaryLineForLabel(const CalibrationSummary& summary) {
    std::u16string line = summaryLine(summary);
    for (size_t at = line.find(u" %"); at != std::u16string::npos; at = line.find(u" %", at)) {
        line[at] = u'\u00A0';
    }
    return line;
}

std::u16string rejectionText(Rejection reason, int count) {
    return fillIn(translate(kReasonTexts[static_cast<size_t>(reason)]), {number(count)});
}

std::u16string rejectionsLine(const RejectionCounts& counts) {
    std::u16string line;
    for (size_t i = 0; i < kRejectionCount; ++i) {
        if (counts[i] > 0) {
            line += (line.empty() ? translate(texts::kCalibrationRejectedHeading) + u" " : u", ") +
                    rejectionText(static_cast<Rejection>(i), counts[i]);
        }
    }
    return line;
}

} // namespace krv
