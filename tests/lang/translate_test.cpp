// translate() with the language chosen from an identifier and its fall-backs: selected file,
// then ENGLISH.txt, then the built-in text.

#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/translate.h"
#include "tests/lang/lang_fixture.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <thread>

namespace krv {
namespace {

using Files = std::map<std::string, std::u16string>;

struct TranslateCase {
    const char* name;
    int slot;
    Files files;
    std::u16string text;
    std::u16string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const TranslateCase& c, std::ostream* out) {
    *out << c.name;
}

class TranslateTest : public testing::TestWithParam<TranslateCase> {
protected:
    void TearDown() override {
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
    }
};

TEST_P(TranslateTest, FallsBackInOrder) {
    const TranslateCase& c = GetParam();
    test::TempFolder folder;
    for (const auto& [name, text] : c.files) {
        test::writeLanguageFile(folder.path() / name, text);
    }
    setLanguageSlot(c.slot);
    openLanguageFiles(folder.path());
    EXPECT_EQ(translate(c.text), c.expected);
}

const std::u16string kEnglish = u"Zamknij\t\tClose\r\nStop\t\tHalt\r\nStart\t\tGo\r\n";
const std::u16string kRussian = u"Zamknij\t\tЗакрыть\r\nStart\t\t\r\n";

INSTANTIATE_TEST_SUITE_P(
    Languages, TranslateTest,
    testing::Values(
        TranslateCase{"PolishIgnoresEnglishFile",
                      languageSlotFor(0x0415),
                      {{"ENGLISH.txt", kEnglish}},
                      u"Zamknij",
                      u"Zamknij"},
        TranslateCase{"GermanReadsEnglishNotGermanFile",
                      languageSlotFor(0x0407),
                      {{"ENGLISH.txt", kEnglish}, {"GERMAN.txt", u"Zamknij\t\tSchließen\r\n"}},
                      u"Zamknij",
                      u"Close"},
        TranslateCase{"ModernSpanishReadsSpainFile",
                      languageSlotFor(0x0C0A),
                      {{"ENGLISH.txt", kEnglish}, {"SPAIN.txt", u"Zamknij\t\tCerrar\r\n"}},
                      u"Zamknij",
                      u"Cerrar"},
        TranslateCase{"UsSpanishReadsEnglish",
                      languageSlotFor(0x540A),
                      {{"ENGLISH.txt", kEnglish}, {"SPAIN.txt", u"Zamknij\t\tCerrar\r\n"}},
                      u"Zamknij",
                      u"Close"},
        TranslateCase{"MoldovanRussianReadsEnglish",
                      languageSlotFor(0x0819),
                      {{"ENGLISH.txt", kEnglish}, {"RUSSIAN.txt", kRussian}},
                      u"Zamknij",
                      u"Close"},
        TranslateCase{"RussianReadsRussianFile",
                      languageSlotFor(0x0419),
                      {{"ENGLISH.txt", kEnglish}, {"RUSSIAN.txt", kRussian}},
                      u"Zamknij",
                      u"Закрыть"},
        TranslateCase{"RussianMissingTextShowsPolishNotEnglish",
                      languageSlotFor(0x0419),
                      {{"ENGLISH.txt", kEnglish}, {"RUSSIAN.txt", kRussian}},
                      u"Stop",
                      u"Stop"},
        TranslateCase{"RussianEmptyTextShowsEnglish",
                      languageSlotFor(0x0419),
                      {{"ENGLISH.txt", kEnglish}, {"RUSSIAN.txt", kRussian}},
                      u"Start",
                      u"Go"},
        TranslateCase{"RussianFileMissingEverythingFromEnglish",
                      languageSlotFor(0x0419),
                      {{"ENGLISH.txt", kEnglish}},
                      u"Zamknij",
                      u"Close"},
        TranslateCase{
            "NoFilesAtAllShowsPolish", languageSlotFor(0x0419), {}, u"Zamknij", u"Zamknij"},
        TranslateCase{"EmptyInBothShowsPolish",
                      kSpanishSlot,
                      {{"ENGLISH.txt", u"Start\t\t\r\n"}, {"SPAIN.txt", u"Start\t\t\r\n"}},
                      u"Start",
                      u"Start"},
        TranslateCase{"FileOpenedThoughNeverSelectedAnswersForItsSlot",
                      3,
                      {{"ENGLISH.txt", kEnglish}, {"ITALIAN.txt", u"Zamknij\t\tChiudi\r\n"}},
                      u"Zamknij",
                      u"Chiudi"},
        TranslateCase{"SlotWithoutFileAnswersLikeEnglish",
                      6,
                      {{"ENGLISH.txt", kEnglish}},
                      u"Zamknij",
                      u"Close"},
        TranslateCase{
            "SlotTenSkipsItsOwnLookup", 10, {{"ENGLISH.txt", kEnglish}}, u"Zamknij", u"Close"},
        TranslateCase{
            "OutOfRangeSlotMeansBuiltIn", 42, {{"ENGLISH.txt", kEnglish}}, u"Zamknij", u"Zamknij"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TranslateSetupTest, NothingSetUpReturnsTheArgument) {
    closeLanguageFiles();
    setLanguageSlot(kBuiltInSlot);
    EXPECT_EQ(translate(u"Brak połączenia"), u"Brak połączenia");
    setLanguageSlot(kRussianSlot);
    EXPECT_EQ(translate(u"Brak połączenia"), u"Brak połączenia") << "no file opened";
    setLanguageSlot(kBuiltInSlot);
}

TEST(TranslateSetupTest, ReopeningPointsAtTheNewFolder) {
    test::TempFolder first;
    test::TempFolder second;
    test::writeLanguageFile(first.path() / "ENGLISH.txt", u"Zamknij\t\tClose\r\n");
    test::writeLanguageFile(second.path() / "RUSSIAN.txt", u"Zamknij\t\tЗакрыть\r\n");
    setLanguageSlot(kRussianSlot);
    openLanguageFiles(first.path());
    EXPECT_EQ(translate(u"Zamknij"), u"Close");
    openLanguageFiles(second.path());
    EXPECT_EQ(translate(u"Zamknij"), u"Закрыть");
    closeLanguageFiles();
    EXPECT_EQ(translate(u"Zamknij"), u"Zamknij");
    setLanguageSlot(kBuiltInSlot);
}

TEST(TranslateSetupTest, LanguageDirectoryIsBesideTheExecutable) {
#ifdef _WIN32
    GTEST_SKIP() << "platform_windows checks the executable's folder there";
#endif
    const auto executable = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(languageDirectory(), executable.parent_path() / "MC_LANG" / "");
}

// The polling thread translates error messages while the window translates its texts; the
// shared stream of a file must not be moved by both at once.
TEST(TranslateConcurrencyTest, TwoThreadsTranslatingGetTheirOwnAnswers) {
    test::TempFolder folder;
    std::u16string russian;
    for (int i = 0; i < 200; ++i) {
        russian +=
            u"filler " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\t\tx\r\n";
    }
    russian += u"Zamknij\t\tЗакрыть\r\nTransmisja\t\tПередача данных\r\n";
    test::writeLanguageFile(folder.path() / "RUSSIAN.txt", russian);
    setLanguageSlot(kRussianSlot);
    openLanguageFiles(folder.path());

    auto repeat = [](std::u16string_view text, std::u16string_view expected, int& wrong) {
        for (int i = 0; i < 300; ++i) {
            wrong += translate(text) != expected;
        }
    };
    int wrongInThread = 0;
    int wrongHere = 0;
    std::thread other(repeat, u"Transmisja", u"Передача данных", std::ref(wrongInThread));
    repeat(u"Zamknij", u"Закрыть", wrongHere);
    other.join();
    EXPECT_EQ(wrongInThread, 0);
    EXPECT_EQ(wrongHere, 0);
    closeLanguageFiles();
    setLanguageSlot(kBuiltInSlot);
}

} // namespace
} // namespace krv
