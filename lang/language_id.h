#pragma once
// The user's language as a Windows language identifier (LANGID), derived from the POSIX
// locale: the identifier is what decides the language slot.

#include <cstdint>
#include <string_view>

namespace krv {

// "pl_PL.UTF-8" -> 0x0415, "es_MX" -> 0x080A; a language without a known territory gets its
// usual identifier ("pl" -> 0x0415). "C", "POSIX", "" and unknown languages give 0x0409.
std::uint16_t langIdFromLocale(std::string_view locale);

// The system's identifier for the user (Windows), or the one for the first non-empty of
// LC_ALL, LC_MESSAGES and LANG.
std::uint16_t userDefaultLangId();

} // namespace krv
