#pragma once
// The language slots: which file each slot reads and which slot a language identifier selects.

#include <array>
#include <cstdint>
#include <string_view>

namespace krv {

// Slot 0 is the built-in Polish text; slots 1-19 may each have a language file.
inline constexpr int kBuiltInSlot = 0;
inline constexpr int kEnglishSlot = 1;
inline constexpr int kRussianSlot = 2;
inline constexpr int kSpanishSlot = 7;
inline constexpr int kSlotCount = 20;

struct LanguageFileName {
    int slot;
    std::string_view name;
};

// Every language file, in the order they are opened. Slots not listed have no file.
inline constexpr std::array<LanguageFileName, 13> kLanguageFiles{{
    {1, "ENGLISH.txt"},
    {2, "RUSSIAN.txt"},
    {3, "ITALIAN.txt"},
    {4, "GERMAN.txt"},
    {5, "THAI.txt"},
    {8, "FRENCH.txt"},
    {14, "CROATIAN.txt"},
    {13, "SERBIAN.txt"},
    {15, "BOSNIAN.txt"},
    {7, "SPAIN.txt"},
    {11, "GREEK.txt"},
    {18, "BULGARIAN.txt"},
    {19, "SLOVENIAN.txt"},
}};

// Polish and Russian only in their own country's form; Spanish for the twenty sublanguages
// 1-20; anything else reads English.
int languageSlotFor(std::uint16_t langId);

// The slot for the user's language identifier.
int languageFromSystem();

// The slot's language as an ISO 639 code ("pl" for the built-in texts); "en" for a slot that
// has no language of its own.
std::string_view languageCode(int slot);

} // namespace krv
