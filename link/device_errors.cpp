#include "link/device_errors.h"

#include "lang/program_texts.h"
#include "lang/translate.h"

namespace krv {

CTransmError::CTransmError() {
    for (const std::u16string_view text :
         {texts::kUnknownCommand, texts::kUnknownFrame, texts::kBadFrameHeader,
          texts::kFrameCrcError, texts::kNonTransmissionError}) {
        messages_.push_back(translate(text));
    }
}

std::u16string CTransmError::categoryName() const {
    return translate(texts::kTransmission);
}

} // namespace krv
