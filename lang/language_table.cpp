#include "lang/language_table.h"

#include "lang/language_id.h"

namespace krv {

int languageSlotFor(std::uint16_t langId) {
    constexpr std::uint16_t kPolish = 0x0415;
    constexpr std::uint16_t kRussian = 0x0419;
    constexpr std::uint16_t kSpanishPrimary = 0x0A;
    constexpr unsigned kLastSpanishSublanguage = 20;

    if (langId == kPolish) {
        return kBuiltInSlot;
    }
    if (langId == kRussian) {
        return kRussianSlot;
    }
    const unsigned primary = langId & 0x3FFu;
    const unsigned sublanguage = langId >> 10;
    if (primary == kSpanishPrimary && sublanguage >= 1 && sublanguage <= kLastSpanishSublanguage) {
        return kSpanishSlot;
    }
    return kEnglishSlot;
}

std::string_view languageCode(int slot) {
    constexpr std::array<std::string_view, kSlotCount> kCodes{
        "pl", "en", "ru", "it", "de", "th", "en", "es", "fr", "en",
        "en", "el", "en", "sr", "hr", "bs", "en", "en", "bg", "sl"};
    return slot >= 0 && slot < kSlotCount ? kCodes[static_cast<size_t>(slot)] : "en";
}

int languageFromSystem() {
    return languageSlotFor(userDefaultLangId());
}

} // namespace krv
