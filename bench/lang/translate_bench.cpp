// Cost of setting the main window's texts: the title and fifteen captions, each a translate()
// answered from the table its language file was read into. Goal: well under a millisecond per
// round, with the shipped files and with a file as big as the tool accepts.

#include "lang/lang_file.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "tests/support/temp_folder.h"

#include <array>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

using namespace krv::texts;

constexpr std::array kMainWindowTexts{
    kWindowTitle,    kClose,   kStart, kStop,       kReadings, kWorkingState, kInput, kOutput,
    kFirmwareUpdate, kPumpPwm, kRpm,   kRpmDivider, kDelta,    kFrequency,    kClear, kCalibration,
};

void translateRounds(benchmark::State& state) {
    for (auto _ : state) {
        for (std::u16string_view text : kMainWindowTexts) {
            benchmark::DoNotOptimize(krv::translate(text));
        }
    }
    krv::closeLanguageFiles();
    krv::setLanguageSlot(krv::kBuiltInSlot);
}

void mainWindowTexts(benchmark::State& state) {
    krv::openLanguageFiles(KRV_LANG_DIR);
    krv::setLanguageSlot(static_cast<int>(state.range(0)));
    translateRounds(state);
}

BENCHMARK(mainWindowTexts)
    ->ArgName("slot")
    ->Arg(krv::kEnglishSlot)
    ->Arg(krv::kRussianSlot)
    ->Arg(krv::kSpanishSlot)
    ->Unit(benchmark::kMicrosecond);

void appendUtf16(std::string& bytes, std::u16string_view text) {
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
}

// An ENGLISH.txt just under the size limit, the window's texts on its last lines.
void largestFile(benchmark::State& state) {
    krv::test::TempFolder folder;
    std::string bytes = "\xFF\xFE";
    for (int line = 0; bytes.size() < krv::CLangFile::kMaxFileBytes - 4096; ++line) {
        const std::string key = "Tekst " + std::to_string(line);
        appendUtf16(bytes, std::u16string(key.begin(), key.end()) + u"\t\tText\r\n");
    }
    for (std::u16string_view text : kMainWindowTexts) {
        appendUtf16(bytes, std::u16string(text) + u"\t\tEnglish\r\n");
    }
    std::ofstream(folder.path() / "ENGLISH.txt", std::ios::binary) << bytes;
    krv::openLanguageFiles(folder.path());
    krv::setLanguageSlot(krv::kEnglishSlot);
    translateRounds(state);
}

BENCHMARK(largestFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
