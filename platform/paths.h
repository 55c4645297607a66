#pragma once

#include <string>

namespace krv {

// Directory of the running executable with a trailing '/', or "" when it cannot be told.
// "Beside the executable" (language files, firmware folder) is relative to this.
std::string executableDirectory();

// An XDG base directory: the variable's value when it is an absolute path (relative ones are
// to be ignored, as the base-directory rules say), else $HOME/homeRelative; "" when neither
// tells where it is.
std::string xdgBaseDirectory(const char* variable, const char* homeRelative);

} // namespace krv
