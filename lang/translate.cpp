#include "lang/translate.h"

#include "lang/lang_file.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "platform/paths.h"

#include <array>
#include <atomic>

namespace krv {
namespace {

// Slot 10 never consults its file object; the slots without a file answer empty, like a
// file that did not open, so both fall through to English.
constexpr int kSlotWithoutLookup = 10;

std::atomic<int> currentSlot{kBuiltInSlot};

std::array<CLangFile, kSlotCount>& languageFiles() {
    static std::array<CLangFile, kSlotCount> files;
    return files;
}

} // namespace

std::filesystem::path languageDirectory() {
    // The build tree has them beside krv; an installed <prefix>/bin/krv in <prefix>/share/krv.
    const std::string executable = executableDirectory();
    return std::filesystem::path(
               firstExistingDirectory({executable + "MC_LANG/", executable + "../share/krv/"}))
        .lexically_normal();
}

void setLanguageSlot(int slot) {
    currentSlot = (slot >= 0 && slot < kSlotCount) ? slot : kBuiltInSlot;
}

int languageSlot() {
    return currentSlot;
}

void openLanguageFiles(const std::filesystem::path& directory) {
    closeLanguageFiles();
    auto& files = languageFiles();
    for (const LanguageFileName& file : kLanguageFiles) {
        files[file.slot].open(directory / file.name);
    }
}

void openLanguageFiles() {
    openLanguageFiles(languageDirectory());
}

void closeLanguageFiles() {
    for (CLangFile& file : languageFiles()) {
        file.close();
    }
}

void initLanguage() {
    setLanguageSlot(languageFromSystem());
    openLanguageFiles();
}

std::u16string translate(std::u16string_view text) {
    const int slot = currentSlot;
    if (slot == kBuiltInSlot) {
        return std::u16string(text);
    }
    auto& files = languageFiles();
    if (slot != kSlotWithoutLookup) {
        if (std::u16string answer = files[slot].lookup(text); !answer.empty()) {
            return answer;
        }
    }
    if (std::u16string answer = files[kEnglishSlot].lookup(text); !answer.empty()) {
        return answer;
    }
    return std::u16string(text);
}

} // namespace krv
