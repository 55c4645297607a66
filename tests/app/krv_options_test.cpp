// krv's command line: what each option asks for, the ports --port names, and the real program
// answering --help, --version and mistakes without any display.

#include "app/krv_options.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "tests/support/temp_folder.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace krv {
namespace {

using Action = KrvOptions::Action;

TEST(KrvOptions, EachOptionAsksForWhatItSays) {
    const struct {
        std::vector<std::string> arguments;
        Action action;
        std::string port;
        bool demo;
        std::optional<int> slot;
    } cases[] = {
        {{}, Action::Run, "", false, {}},
        {{"--help"}, Action::Help, "", false, {}},
        {{"--help", "--language", "GERMAN"}, Action::Help, "", false, 4},
        {{"--help", "--bogus"}, Action::UsageError, "", false, {}},
        {{"--demo", "--version"}, Action::Version, "", true, {}},
        {{"--demo"}, Action::Run, "", true, {}},
        {{"--port", "/dev/ttyUSB0"}, Action::Run, "/dev/ttyUSB0", false, {}},
        {{"--port=3", "--demo"}, Action::Run, "3", true, {}},
        {{"--language", "GERMAN"}, Action::Run, "", false, 4},
        {{"--language=german.txt"}, Action::Run, "", false, 4},
        {{"--language", "Spain"}, Action::Run, "", false, kSpanishSlot},
        {{"--language", "POLISH"}, Action::Run, "", false, kBuiltInSlot},
        {{"-platform", "offscreen", "--demo", "-reverse"}, Action::Run, "", true, {}}, // Qt's
        {{"--bogus"}, Action::UsageError, "", false, {}},
        {{"stray"}, Action::UsageError, "", false, {}},
        {{"--port"}, Action::UsageError, "", false, {}},
        {{"--port="}, Action::UsageError, "", false, {}},
        {{"--language", "KLINGON"}, Action::UsageError, "", false, {}},
        // A replay opens no port: a port or the demo beside it would be dropped unsaid.
        {{"--replay", "drive.csv", "--port", "1"}, Action::UsageError, "", false, {}},
        {{"--demo", "--replay=drive.csv"}, Action::UsageError, "", false, {}},
        {{"--replay", "drive.csv"}, Action::Run, "", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const KrvOptions options = parseKrvOptions(c.arguments);
        EXPECT_EQ(options.action, c.action);
        if (c.action == Action::UsageError) {
            EXPECT_FALSE(options.error.empty());
            continue;
        }
        EXPECT_EQ(options.port, c.port);
        EXPECT_EQ(options.demo, c.demo);
        EXPECT_EQ(options.languageSlot, c.slot);
    }
}

TEST(KrvOptions, EveryLanguageFileCanBeNamed) {
    for (const LanguageFileName& file : kLanguageFiles) {
        const std::string name(file.name.substr(0, file.name.find('.')));
        EXPECT_EQ(languageSlotNamed(name), file.slot) << name;
    }
    const KrvOptions unknown = parseKrvOptions({"--language", "KLINGON"});
    EXPECT_EQ(unknown.error, fillIn(texts::kUnknownLanguage,
                                    {u"KLINGON", u"POLISH, ENGLISH, RUSSIAN, ITALIAN, GERMAN, "
                                                 u"THAI, FRENCH, CROATIAN, SERBIAN, BOSNIAN, "
                                                 u"SPAIN, GREEK, BULGARIAN, SLOVENIAN"}));
}

class PortOptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"ttyA", "ttyB"}) {
            table_.push_back((folder_.path() / name).string());
            std::ofstream(table_.back()) << "";
        }
        ::setenv("KRV_PORTS", (table_[0] + ":" + table_[1]).c_str(), 1);
    }
    void TearDown() override { ::unsetenv("KRV_PORTS"); }

    std::optional<CLPGConnection::StartChoice> choiceFor(const std::string& port) {
        KrvOptions options;
        options.port = port;
        error_.clear();
        return startChoiceFor(options, error_);
    }

    test::TempFolder folder_;
    std::vector<std::string> table_;
    std::u16string error_;
};

TEST_F(PortOptionTest, ANumberOrAPathInTheTableIsThatPort) {
    const std::string link = (folder_.path() / "by-id-adapter").string();
    std::filesystem::create_symlink(table_[1], link);
    for (const auto& [port, number] :
         {std::pair{std::string("2"), 2}, {table_[0], 1}, {table_[1], 2}, {link, 2}}) {
        SCOPED_TRACE(port);
        const auto choice = choiceFor(port);
        ASSERT_TRUE(choice);
        EXPECT_EQ(choice->firstPort, number);
    }
    EXPECT_EQ(std::getenv("KRV_PORTS"), table_[0] + ":" + table_[1]) << "the table stays";
}

TEST_F(PortOptionTest, APathOutsideTheTableJoinsItsEnd) {
    const std::string other = (folder_.path() / "ttyC").string();
    const auto choice = choiceFor(other);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->firstPort, 3);
    EXPECT_EQ(choice->addedPort, other);
    EXPECT_FALSE(choice->onlyFirstPort); // krv tries the others after it
    EXPECT_EQ(std::getenv("KRV_PORTS"), table_[0] + ":" + table_[1]) << "the table stays";
}

TEST_F(PortOptionTest, ANumberOutsideTheTableIsAUsageError) {
    for (const std::string port : {"3", "0", "99999999999999999999"}) {
        SCOPED_TRACE(port);
        EXPECT_FALSE(choiceFor(port));
        EXPECT_EQ(error_, fillIn(texts::kUnknownPort, {toU16(port), u"2"}));
    }
}

struct Answer {
    int exitCode;
    std::string out;
};

// The installed program as a user starts it from a terminal without any display.
Answer runKrv(const std::string& arguments, const std::string& locale = "C") {
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=" + locale +
        " " KRV_EXECUTABLE " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    Answer run{-1, {}};
    if (!pipe) {
        return run;
    }
    std::array<char, 4096> buffer;
    while (const size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        run.out.append(buffer.data(), got);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(KrvCommandLine, AnswersWithoutADisplay) {
    const Answer help = runKrv("--help", "en_US.UTF-8");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: krv [--port PATH|N]")) << help.out;
    EXPECT_NE(help.out.find("--language NAME"), std::string::npos) << help.out;

    const Answer polish = runKrv("--help", "pl_PL.UTF-8");
    EXPECT_EQ(polish.exitCode, 0);
    EXPECT_TRUE(polish.out.starts_with(toUtf8(texts::kUsage))) << polish.out;

    const Answer version = runKrv("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "krv 1.12\n");

    for (const char* mistake : {"--bogus", "--language KLINGON", "--port", "--port 999"}) {
        SCOPED_TRACE(mistake);
        const Answer wrong = runKrv(mistake, "en_US.UTF-8");
        EXPECT_EQ(wrong.exitCode, 2);
        EXPECT_TRUE(wrong.out.starts_with("krv: ")) << wrong.out;
        EXPECT_NE(wrong.out.find("\nUsage: krv "), std::string::npos) << wrong.out;
    }
}

} // namespace
} // namespace krv
