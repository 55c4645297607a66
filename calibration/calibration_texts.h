#pragma once
// The proposal in words, translated, for the window and the command line alike.

#include "calibration/calibration.h"

#include <string>

namespace krv {

// "Komórki nauczone: 17, za mało odczytów: 6, odczyty odrzucone: 41 %".
std::u16string summaryLine(const CalibrationSummary& summary);
// The same for a label that wraps at spaces: the percentage and its sign stay on one line.
std::u16string summaryLineForLabel(const CalibrationSummary& summary);
// "Odrzucone odczyty: zanik sygnału 3, zakłócenie 5" with the reasons that rejected any;
// empty when none did.
std::u16string rejectionsLine(const RejectionCounts& counts);
std::u16string rejectionText(Rejection reason, int count);

} // namespace krv
