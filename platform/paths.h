#pragma once

#include <initializer_list>
#include <string>

namespace krv {

// Directory of the running executable with a trailing '/', or "" when it cannot be told.
// "Beside the executable" (language files, firmware folder) is relative to this.
std::string executableDirectory();

// An XDG base directory without a trailing '/': the variable when it holds an absolute path
// (relative ones are to be ignored), otherwise $HOME/homeFallback; "" when neither is known.
// On Windows the fallback is %APPDATA% for XDG_CONFIG_HOME and %LOCALAPPDATA% for the others.
std::string xdgBaseDirectory(const char* variable, const char* homeFallback);

// The first of the folders that exists, or the first when none does.
std::string firstExistingDirectory(std::initializer_list<std::string> candidates);

// This process's number, for names no other running copy of the tool picks.
int currentProcessId();

} // namespace krv
