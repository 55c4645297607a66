#include "platform/user_language.h"

#include <cstdlib>

namespace krv {

UserLanguage userLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return {0, value};
        }
    }
    return {};
}

} // namespace krv
