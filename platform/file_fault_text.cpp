#include "platform/regular_file.h"

namespace krv {

std::u16string_view faultText(FileReadFault fault, const FileFaultTexts& texts) {
    switch (fault) {
    case FileReadFault::notRegular:
        return texts.notRegular;
    case FileReadFault::tooLarge:
        return texts.tooLarge;
    default:
        return texts.cannotOpen;
    }
}

} // namespace krv
