// Cost of setting the main window's texts: the title and fifteen captions, each a translate()
// that rescans its language file from the top. Goal: well under a millisecond per round.

#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
#include "lang/translate.h"

#include <array>
#include <benchmark/benchmark.h>

namespace {

using namespace krv::texts;

constexpr std::array kMainWindowTexts{
    kWindowTitle,    kClose,   kStart, kStop,       kReadings, kWorkingState, kInput, kOutput,
    kFirmwareUpdate, kPumpPwm, kRpm,   kRpmDivider, kDelta,    kFrequency,    kClear, kCalibration,
};

void mainWindowTexts(benchmark::State& state) {
    krv::openLanguageFiles(KRV_LANG_DIR);
    krv::setLanguageSlot(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (std::u16string_view text : kMainWindowTexts) {
            benchmark::DoNotOptimize(krv::translate(text));
        }
    }
    krv::closeLanguageFiles();
    krv::setLanguageSlot(krv::kBuiltInSlot);
}

BENCHMARK(mainWindowTexts)
    ->ArgName("slot")
    ->Arg(krv::kEnglishSlot)
    ->Arg(krv::kRussianSlot)
    ->Arg(krv::kSpanishSlot)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
