// CLangFile against small files written here: the line rules, the escapes, and files that
// are not what they should be.

#include "lang/lang_file.h"
#include "tests/lang/lang_fixture.h"

#include <gtest/gtest.h>
#include <random>

namespace krv {
namespace {

using test::TempFolder;
using test::utf16File;
using test::writeBytes;
using test::writeLanguageFile;

struct LookupCase {
    const char* name;
    std::u16string file; // UTF-16 text after the byte-order mark
    std::u16string key;
    std::u16string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.name;
}

class LookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(LookupTest, AnswersAsTheLineRulesSay) {
    const LookupCase& c = GetParam();
    TempFolder folder;
    writeLanguageFile(folder.path() / "L.txt", c.file);
    CLangFile file;
    ASSERT_TRUE(file.open(folder.path() / "L.txt"));
    EXPECT_EQ(file.lookup(c.key), c.expected);
    EXPECT_EQ(file.lookup(c.key), c.expected) << "asked again";
}

const std::u16string kLongFiller(2047, u'x');

INSTANTIATE_TEST_SUITE_P(
    Lines, LookupTest,
    testing::Values(
        LookupCase{"NoteColumnIsNotInterpreted", u"Zamknij\tclose button\tClose\r\n", u"Zamknij",
                   u"Close"},
        LookupCase{"FirstOfTwoLinesWins", u"Zamknij\t\tClose\r\nZamknij\t\tShut\r\n", u"Zamknij",
                   u"Close"},
        LookupCase{"OneTabLineSkippedLaterTwoTabLineUsed", u"Zamknij\tClose\r\nZamknij\t\tShut\r\n",
                   u"Zamknij", u"Shut"},
        LookupCase{"LastLineWithoutCrLfReadWhole", u"Stop\t\tHalt\r\nStart\t\tGo now", u"Start",
                   u"Go now"},
        LookupCase{"EmptyTextColumnGivesEmptyText", u"Wejście\t\t\r\nWejście\t\tInput\r\n",
                   u"Wejście", u""},
        LookupCase{"TextKeepsItsOwnTabs", u"Start\tnote\tRun\tfast\r\n", u"Start", u"Run\tfast"},
        LookupCase{"KeyIsCaseSensitive", u"stop\t\tHalt\r\n", u"Stop", u"Stop"},
        LookupCase{"MissingKeyGivesKeyBack", u"Start\t\tGo\r\n", u"Kasuj", u"Kasuj"},
        LookupCase{"BlankAndCommentLinesIgnored", u"\r\n; comment\r\nStart\t\tGo\r\n", u"Start",
                   u"Go"},
        LookupCase{"EscapesInText", u"Start\t\tRun\\nnow\\t\\r\\x\\\r\n", u"Start",
                   u"Run\nnow\t\r\\x\\"},
        LookupCase{"EscapedTabInKeyMatchesRealTab", u"a\\tb\t\tAB\r\n", u"a\tb", u"AB"},
        LookupCase{"EscapedAndRawKeysAreOneKey", u"a\\rb\t\tFirst\r\na\rb\t\tSecond\r\n", u"a\rb",
                   u"First"},
        LookupCase{"BackslashHasNoEscapeOfItsOwn", u"K\t\t\\\\n\r\n", u"K", u"\\\n"},
        LookupCase{"MissingKeyStillHasItsEscapesReplaced", u"Start\t\tGo\r\n", u"a\\nb", u"a\nb"},
        LookupCase{"LoneLfIsNotRemoved", u"Start\t\tGo\nStop\t\tHalt\n", u"Start", u"Go\n"},
        LookupCase{"LongLineReadAsPieces", kLongFiller + u"Zamknij\t\tClose\r\n", u"Zamknij",
                   u"Close"},
        LookupCase{"PieceLimitCountsCrLf",
                   u"K\t\t" + std::u16string(2044, u'y') + u"\r\nK\t\tlater\r\n", u"K",
                   std::u16string(2044, u'y')}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadFileCase {
    const char* name;
    std::string bytes;
    std::u16string key;
    std::u16string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const BadFileCase& c, std::ostream* out) {
    *out << c.name;
}

class BadFileTest : public testing::TestWithParam<BadFileCase> {};

// Under the sanitizers these also show that nothing reads past a buffer.
TEST_P(BadFileTest, LooksUpWithoutHarm) {
    const BadFileCase& c = GetParam();
    TempFolder folder;
    writeBytes(folder.path() / "L.txt", c.bytes);
    CLangFile file;
    ASSERT_TRUE(file.open(folder.path() / "L.txt"));
    EXPECT_EQ(file.lookup(c.key), c.expected);
}

std::string garbage(std::size_t bytes) {
    std::mt19937 random(20240611);
    std::string out(bytes, '\0');
    for (char& c : out) {
        c = static_cast<char>(random());
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    testing::Values(
        BadFileCase{"Empty", "", u"Start", u"Start"},
        BadFileCase{"OneByte", "\xFF", u"Start", u"Start"},
        BadFileCase{"OnlyByteOrderMark", "\xFF\xFE", u"Start", u"Start"},
        BadFileCase{"OddByteCountDropsTheDanglingByte", utf16File(u"Start\t\tGo") + "\x41",
                    u"Start", u"Go"},
        // The first two bytes are skipped unread, so without a mark the first unit is lost.
        BadFileCase{"NoByteOrderMarkLosesFirstCharacter", utf16File(u"Start\t\tGo\r\n", false),
                    u"tart", u"Go"},
        BadFileCase{"GarbageBeforeAGoodLine",
                    utf16File(u"") + garbage(65536) + utf16File(u"\r\nStart\t\tGo\r\n", false),
                    u"Start", u"Go"},
        BadFileCase{"OneMegabyteLine",
                    utf16File(std::u16string(524288, u'x') + u"\r\nStart\t\tGo\r\n"), u"Start",
                    u"Go"},
        BadFileCase{"Utf8InsteadOfUtf16", "\xEF\xBB\xBFStart\t\tGo\r\n", u"Start", u"Start"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LangFileTest, ClosedFileAnswersEmpty) {
    CLangFile file;
    EXPECT_EQ(file.lookup(u"Start"), u"");
    EXPECT_FALSE(file.find(u"Start").has_value());
}

// A file holding the one line Start -> Go, opened.
class OpenLangFile : public testing::Test {
protected:
    void SetUp() override {
        writeLanguageFile(path, u"Start\t\tGo\r\n");
        ASSERT_TRUE(file.open(path));
    }

    TempFolder folder;
    const std::filesystem::path path = folder.path() / "L.txt";
    CLangFile file;
};

TEST_F(OpenLangFile, OpenKeepsPathAndCloseForgetsIt) {
    EXPECT_EQ(file.path(), path);
    EXPECT_EQ(file.find(u"Start"), u"Go");
    EXPECT_FALSE(file.find(u"Stop").has_value()) << "find tells a missing line from a match";
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_TRUE(file.path().empty());
    EXPECT_EQ(file.lookup(u"Start"), u"");
}

TEST(LangFileTest, WhatIsNoRegularFileDoesNotOpen) {
    TempFolder folder;
    CLangFile file;
    EXPECT_FALSE(file.open(folder.path() / "MISSING.txt"));
    EXPECT_FALSE(file.open(folder.path())) << "a folder";
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.lookup(u"Start"), u"");
}

TEST_F(OpenLangFile, FileIsReadOnceAtOpen) {
    writeLanguageFile(path, u"Start\t\tRun\r\n");
    EXPECT_EQ(file.lookup(u"Start"), u"Go");
    std::filesystem::remove(path);
    EXPECT_EQ(file.lookup(u"Start"), u"Go");
}

// The size limit counts bytes of the file, byte-order mark included.
TEST(LangFileTest, FileOverTheLimitIsRefusedAsIfAbsent) {
    TempFolder folder;
    const std::string line = utf16File(u"\r\nStart\t\tGo\r\n", false);
    for (const std::uintmax_t size : {CLangFile::kMaxFileBytes, CLangFile::kMaxFileBytes + 1}) {
        std::string bytes = utf16File(u"");
        bytes.resize(size - line.size(), 'x');
        bytes += line;
        writeBytes(folder.path() / "L.txt", bytes);
        CLangFile file;
        const bool fits = size <= CLangFile::kMaxFileBytes;
        EXPECT_EQ(file.open(folder.path() / "L.txt"), fits) << size << " bytes";
        EXPECT_EQ(file.lookup(u"Start"), fits ? u"Go" : u"") << size << " bytes";
    }
}

TEST(LangFileTest, FailedReopenLeavesTheObjectClosed) {
    TempFolder folder;
    writeLanguageFile(folder.path() / "L.txt", u"Start\t\tGo\r\n");
    CLangFile file;
    ASSERT_TRUE(file.open(folder.path() / "L.txt"));
    EXPECT_FALSE(file.open(folder.path() / "MISSING.txt"));
    EXPECT_EQ(file.lookup(u"Start"), u"");
}

} // namespace
} // namespace krv
