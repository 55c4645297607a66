#pragma once
// Choosing the language and opening the language files, once at start-up; tests point these
// at their own folders and slots.

#include <filesystem>

namespace krv {

// The folder MC_LANG beside the running executable, or else ../share/krv/ from it (installed).
std::filesystem::path languageDirectory();

// Start-up: the slot from the user's language, then every language file from languageDirectory().
void initLanguage();

void setLanguageSlot(int slot); // 0-19; anything else means the built-in texts
int languageSlot();

// Closes what is open, then opens the language files found in the folder; a missing file is
// skipped without a message.
void openLanguageFiles(const std::filesystem::path& directory);
void openLanguageFiles();
void closeLanguageFiles();

} // namespace krv
