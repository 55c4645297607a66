#pragma once
// The user's language as the system tells it.

#include <cstdint>
#include <string>

namespace krv {

struct UserLanguage {
    std::uint16_t langId = 0; // the system's language identifier where it has one (Windows)
    std::string locale;       // otherwise the first non-empty of LC_ALL, LC_MESSAGES and LANG
};

UserLanguage userLanguage();

} // namespace krv
