#include "platform/user_language.h"

#include "platform/windows/system.h"

namespace krv {

UserLanguage userLanguage() {
    return {GetUserDefaultLangID(), {}};
}

} // namespace krv
