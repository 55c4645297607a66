// The language files the build ships: their format, and a line for every program text.

#include "lang/lang_file.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"
#include "tests/lang/lang_fixture.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace krv {
namespace {

const std::filesystem::path kShippedFolder = KRV_LANG_DIR;

struct Shipped {
    const char* file;
    int slot;
};
constexpr Shipped kShipped[] = {
    {"ENGLISH.txt", kEnglishSlot}, {"RUSSIAN.txt", kRussianSlot}, {"SPAIN.txt", kSpanishSlot}};

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ShippedFilesTest, AreUtf16WithMarkAndCrLfLines) {
    for (const Shipped& shipped : kShipped) {
        SCOPED_TRACE(shipped.file);
        const std::string bytes = readBytes(kShippedFolder / shipped.file);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
        EXPECT_EQ(bytes.size() % 2, 0u);
        std::u16string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        EXPECT_TRUE(text.ends_with(u"\r\n"));
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == u'\r') << "bare LF at unit " << i;
            }
        }
    }
}

TEST(ShippedFilesTest, EveryProgramTextHasANonEmptyLineInEveryFile) {
    for (const Shipped& shipped : kShipped) {
        CLangFile file;
        ASSERT_TRUE(file.open(kShippedFolder / shipped.file)) << shipped.file;
        for (std::u16string_view text : texts::kProgramTexts) {
            const auto answer = file.find(text);
            ASSERT_TRUE(answer.has_value()) << shipped.file << " lacks \"" << toUtf8(text) << '"';
            EXPECT_FALSE(answer->empty()) << shipped.file << ": \"" << toUtf8(text) << '"';
        }
    }
}

TEST(ShippedFilesTest, ProgramTextsAreListedOnce) {
    std::set<std::u16string_view> seen;
    for (std::u16string_view text : texts::kProgramTexts) {
        EXPECT_TRUE(seen.insert(text).second) << toUtf8(text);
    }
}

TEST(ShippedFilesTest, TranslateReadsThemInEachLanguage) {
    openLanguageFiles(kShippedFolder);
    const struct {
        int slot;
        std::u16string_view title;
        std::u16string_view noConnection;
    } cases[] = {
        {kEnglishSlot, u"Fuel pressure emulator", u"No connection"},
        {kRussianSlot, u"Эмулятор давления топлива", u"Нет подключения"},
        {kSpanishSlot, u"Emulador de presión de combustible", u"Sin conexión"},
        {kBuiltInSlot, u"Emulator ciśnienia paliwa", u"Brak połączenia"},
    };
    for (const auto& c : cases) {
        setLanguageSlot(c.slot);
        EXPECT_EQ(translate(texts::kWindowTitle) + u" KRV v 1.12",
                  std::u16string(c.title) + u" KRV v 1.12");
        EXPECT_EQ(translate(texts::kNoConnection), c.noConnection);
    }
    closeLanguageFiles();
    setLanguageSlot(kBuiltInSlot);
}

bool runGenerator(const std::filesystem::path& table, const std::filesystem::path& output) {
    const std::string command = std::string("'") + KRV_MAKE_LANGUAGE_FILE + "' '" + table.string() +
                                "' '" + output.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// The build step refuses tables the program could not use, so a slip stops the build.
TEST(LanguageFileGeneratorTest, WritesGoodTablesAndRefusesBrokenOnes) {
    const struct {
        const char* name;
        std::string table;
        bool accepted;
    } cases[] = {
        {"good", "# note\n\nZamknij\tbutton\tClose\r\nStart\t\tGo\n", true},
        {"one TAB", "Zamknij\tClose\n", false},
        {"duplicate key", "Start\t\tGo\nStart\t\tRun\n", false},
        {"broken UTF-8", "Start\t\tG\xC3\n", false},
    };
    for (const auto& c : cases) {
        test::TempFolder folder;
        const auto table = folder.path() / "table.tsv";
        const auto output = folder.path() / "OUT.txt";
        test::writeBytes(table, c.table);
        EXPECT_EQ(runGenerator(table, output), c.accepted) << c.name;
        EXPECT_EQ(std::filesystem::exists(output), c.accepted) << c.name;
    }
    test::TempFolder folder;
    test::writeBytes(folder.path() / "table.tsv", cases[0].table);
    ASSERT_TRUE(runGenerator(folder.path() / "table.tsv", folder.path() / "OUT.txt"));
    CLangFile made;
    ASSERT_TRUE(made.open(folder.path() / "OUT.txt"));
    EXPECT_EQ(made.lookup(u"Zamknij"), u"Close");
    EXPECT_EQ(made.lookup(u"Start"), u"Go");
}

} // namespace
} // namespace krv
