#include "lang/language_id.h"

#include "platform/user_language.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <string>

namespace krv {
namespace {

constexpr std::uint16_t kEnglishUs = 0x0409;

struct LocaleId {
    std::string_view language;
    std::string_view territory; // "" is the language's usual identifier
    std::uint16_t langId;
};

// Windows identifiers: sublanguage x 0x400 + primary language.
constexpr std::array kLocaleIds{
    LocaleId{"pl", "", 0x0415},   LocaleId{"ru", "", 0x0419},   LocaleId{"ru", "MD", 0x0819},
    LocaleId{"en", "", 0x0409},   LocaleId{"en", "US", 0x0409}, LocaleId{"en", "GB", 0x0809},
    LocaleId{"en", "AU", 0x0C09}, LocaleId{"en", "CA", 0x1009}, LocaleId{"en", "NZ", 0x1409},
    LocaleId{"en", "IE", 0x1809}, LocaleId{"en", "ZA", 0x1C09}, LocaleId{"en", "JM", 0x2009},
    LocaleId{"en", "BZ", 0x2809}, LocaleId{"en", "TT", 0x2C09}, LocaleId{"en", "ZW", 0x3009},
    LocaleId{"en", "PH", 0x3409}, LocaleId{"en", "IN", 0x4009}, LocaleId{"en", "MY", 0x4409},
    LocaleId{"en", "SG", 0x4809}, LocaleId{"es", "", 0x0C0A},   LocaleId{"es", "MX", 0x080A},
    LocaleId{"es", "ES", 0x0C0A}, LocaleId{"es", "GT", 0x100A}, LocaleId{"es", "CR", 0x140A},
    LocaleId{"es", "PA", 0x180A}, LocaleId{"es", "DO", 0x1C0A}, LocaleId{"es", "VE", 0x200A},
    LocaleId{"es", "CO", 0x240A}, LocaleId{"es", "PE", 0x280A}, LocaleId{"es", "AR", 0x2C0A},
    LocaleId{"es", "EC", 0x300A}, LocaleId{"es", "CL", 0x340A}, LocaleId{"es", "UY", 0x380A},
    LocaleId{"es", "PY", 0x3C0A}, LocaleId{"es", "BO", 0x400A}, LocaleId{"es", "SV", 0x440A},
    LocaleId{"es", "HN", 0x480A}, LocaleId{"es", "NI", 0x4C0A}, LocaleId{"es", "PR", 0x500A},
    LocaleId{"es", "US", 0x540A}, LocaleId{"es", "CU", 0x5C0A}, LocaleId{"de", "", 0x0407},
    LocaleId{"de", "CH", 0x0807}, LocaleId{"de", "AT", 0x0C07}, LocaleId{"de", "LU", 0x1007},
    LocaleId{"de", "LI", 0x1407}, LocaleId{"fr", "", 0x040C},   LocaleId{"fr", "BE", 0x080C},
    LocaleId{"fr", "CA", 0x0C0C}, LocaleId{"fr", "CH", 0x100C}, LocaleId{"fr", "LU", 0x140C},
    LocaleId{"it", "", 0x0410},   LocaleId{"it", "CH", 0x0810}, LocaleId{"pt", "", 0x0416},
    LocaleId{"pt", "PT", 0x0816}, LocaleId{"nl", "", 0x0413},   LocaleId{"nl", "BE", 0x0813},
    LocaleId{"sv", "", 0x041D},   LocaleId{"sv", "FI", 0x081D}, LocaleId{"zh", "", 0x0804},
    LocaleId{"zh", "TW", 0x0404}, LocaleId{"zh", "HK", 0x0C04}, LocaleId{"hr", "", 0x041A},
    LocaleId{"hr", "BA", 0x101A}, LocaleId{"sr", "", 0x281A},   LocaleId{"bs", "", 0x141A},
    LocaleId{"ar", "", 0x0401},   LocaleId{"bg", "", 0x0402},   LocaleId{"ca", "", 0x0403},
    LocaleId{"cs", "", 0x0405},   LocaleId{"da", "", 0x0406},   LocaleId{"el", "", 0x0408},
    LocaleId{"fi", "", 0x040B},   LocaleId{"he", "", 0x040D},   LocaleId{"hu", "", 0x040E},
    LocaleId{"is", "", 0x040F},   LocaleId{"ja", "", 0x0411},   LocaleId{"ko", "", 0x0412},
    LocaleId{"nb", "", 0x0414},   LocaleId{"no", "", 0x0414},   LocaleId{"nn", "", 0x0814},
    LocaleId{"ro", "", 0x0418},   LocaleId{"sk", "", 0x041B},   LocaleId{"sq", "", 0x041C},
    LocaleId{"th", "", 0x041E},   LocaleId{"tr", "", 0x041F},   LocaleId{"uk", "", 0x0422},
    LocaleId{"be", "", 0x0423},   LocaleId{"sl", "", 0x0424},   LocaleId{"et", "", 0x0425},
    LocaleId{"lv", "", 0x0426},   LocaleId{"lt", "", 0x0427},   LocaleId{"mk", "", 0x042F},
    LocaleId{"ka", "", 0x0437},   LocaleId{"kk", "", 0x043F},
};

std::string asciiCase(std::string_view text, int (*convert)(int)) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [convert](char c) {
        return static_cast<char>(convert(static_cast<unsigned char>(c)));
    });
    return out;
}

} // namespace

std::uint16_t langIdFromLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t separator = locale.find_first_of("_-");
    const std::string language = asciiCase(locale.substr(0, separator), std::tolower);
    const std::string territory = separator == std::string_view::npos
                                      ? std::string()
                                      : asciiCase(locale.substr(separator + 1), std::toupper);

    const LocaleId* usual = nullptr;
    for (const LocaleId& entry : kLocaleIds) {
        if (entry.language != language) {
            continue;
        }
        if (entry.territory == territory) {
            return entry.langId;
        }
        if (entry.territory.empty()) {
            usual = &entry;
        }
    }
    return usual ? usual->langId : kEnglishUs;
}

std::uint16_t userDefaultLangId() {
    const UserLanguage user = userLanguage();
    return user.langId != 0 ? user.langId : langIdFromLocale(user.locale);
}

} // namespace krv
