// From the locale to a Windows language identifier, and from that to a language slot.

#include "lang/language_id.h"
#include "lang/language_table.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace krv {
namespace {

TEST(LanguageIdTest, LocaleNamesGiveWindowsIdentifiers) {
    const struct {
        const char* locale;
        std::uint16_t langId;
    } cases[] = {
        {"pl_PL.UTF-8", 0x0415}, {"ru_RU", 0x0419},   {"es_MX", 0x080A},
        {"es_ES", 0x0C0A},       {"de_DE", 0x0407},   {"C", 0x0409},
        {"POSIX", 0x0409},       {"C.UTF-8", 0x0409}, {"", 0x0409},
        {"en_GB.UTF-8", 0x0809}, {"es_US", 0x540A},   {"ru_MD", 0x0819},
        {"pl", 0x0415},          {"es_XX", 0x0C0A},   {"sr_RS@latin", 0x281A},
        {"PL_pl.utf8", 0x0415},  {"es-AR", 0x2C0A},   {"xx_YY", 0x0409},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(langIdFromLocale(c.locale), c.langId) << '"' << c.locale << '"';
    }
}

TEST(LanguageSlotTest, IdentifiersSelectSlots) {
    const struct {
        std::uint16_t langId;
        int slot;
    } cases[] = {
        {0x0415, kBuiltInSlot}, {0x0815, kEnglishSlot}, {0x0419, kRussianSlot},
        {0x0819, kEnglishSlot}, {0x0409, kEnglishSlot}, {0x0407, kEnglishSlot},
        {0x0410, kEnglishSlot}, {0x000A, kEnglishSlot}, {0x540A, kEnglishSlot},
        {0x580A, kEnglishSlot}, {0x0000, kEnglishSlot}, {0xFFFF, kEnglishSlot},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(languageSlotFor(c.langId), c.slot) << std::hex << c.langId;
    }
    for (unsigned sublanguage = 1; sublanguage <= 20; ++sublanguage) {
        const auto spanish = static_cast<std::uint16_t>(sublanguage * 0x400 + 0x0A);
        EXPECT_EQ(languageSlotFor(spanish), kSpanishSlot) << std::hex << spanish;
    }
}

// The Spanish locales as the README lists them.
TEST(LanguageSlotTest, SpanishLocalesSelectSpanishUpToSublanguage20) {
    for (const char* locale :
         {"es",    "es_ES", "es_MX", "es_GT", "es_CR", "es_PA", "es_DO",
          "es_VE", "es_CO", "es_PE", "es_AR", "es_EC", "es_CL", "es_UY",
          "es_PY", "es_BO", "es_SV", "es_HN", "es_NI", "es_PR", "es_GQ.UTF-8"}) {
        EXPECT_EQ(languageSlotFor(langIdFromLocale(locale)), kSpanishSlot) << locale;
    }
    for (const char* locale : {"es_US", "es_CU"}) {
        EXPECT_EQ(languageSlotFor(langIdFromLocale(locale)), kEnglishSlot) << locale;
    }
}

TEST(LanguageSlotTest, FileTableHasThirteenDistinctSlotsWithoutTheEmptyOnes) {
    std::set<int> slots;
    for (const LanguageFileName& file : kLanguageFiles) {
        EXPECT_TRUE(slots.insert(file.slot).second) << file.name;
    }
    for (int empty : {0, 6, 9, 10, 12, 16, 17}) {
        EXPECT_FALSE(slots.contains(empty)) << empty;
    }
}

// Sets the locale variables for one test and puts the old values back.
class LocaleEnvironment {
public:
    LocaleEnvironment() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }
    ~LocaleEnvironment() {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (saved_[i]) {
                setenv(kNames[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kNames[i]);
            }
        }
    }
    static void set(const char* name, const char* value) { setenv(name, value, 1); }

private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved_;
};

TEST(LanguageFromSystemTest, FirstNonEmptyLocaleVariableDecides) {
    {
        LocaleEnvironment environment;
        EXPECT_EQ(userDefaultLangId(), 0x0409) << "nothing set";
    }
    {
        LocaleEnvironment environment;
        LocaleEnvironment::set("LANG", "pl_PL.UTF-8");
        EXPECT_EQ(languageFromSystem(), kBuiltInSlot);
    }
    {
        LocaleEnvironment environment;
        LocaleEnvironment::set("LC_ALL", "");
        LocaleEnvironment::set("LC_MESSAGES", "es_MX.UTF-8");
        LocaleEnvironment::set("LANG", "pl_PL.UTF-8");
        EXPECT_EQ(userDefaultLangId(), 0x080A);
        EXPECT_EQ(languageFromSystem(), kSpanishSlot);
    }
    {
        LocaleEnvironment environment;
        LocaleEnvironment::set("LC_ALL", "ru_RU.UTF-8");
        LocaleEnvironment::set("LANG", "pl_PL.UTF-8");
        EXPECT_EQ(languageFromSystem(), kRussianSlot);
    }
}

} // namespace
} // namespace krv
