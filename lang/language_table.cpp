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

int languageFromSystem() {
    return languageSlotFor(userDefaultLangId());
}

} // namespace krv
