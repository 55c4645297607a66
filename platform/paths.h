#pragma once

#include <string>

namespace krv {

// Directory of the running executable with a trailing '/', or "" when it cannot be told.
// "Beside the executable" (language files, firmware folder) is relative to this.
std::string executableDirectory();

} // namespace krv
