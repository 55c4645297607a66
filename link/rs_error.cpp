#include "link/rs_error.h"

#include "lang/program_texts.h"
#include "lang/translate.h"

namespace krv {

void CRSError::fillMessages() {
    addMessage(kRsOpenFailed, translate(texts::kCannotOpenPort));
    addMessage(kRsOperationFailed, translate(texts::kPortOperationFailed));
}

} // namespace krv
