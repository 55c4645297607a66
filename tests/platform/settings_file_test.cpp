// The settings file that remembers the last port: its place, its atomic replacement that
// keeps the other lines, and the atoi-like reading of numbers.

#include "platform/settings_file.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_folder.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {
namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() { path_ = directory_ + "/config/Morvelcast/settings.ini"; }

    test::TempFolder folder_;
    std::string directory_ = folder_.path().string();
    std::string path_;
};

TEST_F(SettingsFileTest, PathFollowsXdgConfigHomeThenHome) {
    const char* home = std::getenv("HOME");
    const std::string savedHome = home != nullptr ? home : "";
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("HOME", "/home/fitter", 1);
    EXPECT_EQ(CSettingsFile::defaultPath(), "/cfg/Morvelcast/settings.ini");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(CSettingsFile::defaultPath(), "/home/fitter/.config/Morvelcast/settings.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(CSettingsFile::defaultPath(), "/home/fitter/.config/Morvelcast/settings.ini");
    ::unsetenv("HOME");
    EXPECT_EQ(CSettingsFile::defaultPath(), "");
    EXPECT_FALSE(CSettingsFile().read("Last RS nr"));
    EXPECT_FALSE(CSettingsFile().write("Last RS nr", "1"));
    if (home != nullptr) {
        ::setenv("HOME", savedHome.c_str(), 1);
    }
}

TEST_F(SettingsFileTest, WriteCreatesFoldersAndReadFindsTheValue) {
    const CSettingsFile settings(path_);
    EXPECT_FALSE(settings.read("Last RS nr")) << "no file yet";
    ASSERT_TRUE(settings.write("Last RS nr", "12"));
    EXPECT_EQ(test::fileContents(path_), "Last RS nr=12\n");
    EXPECT_EQ(settings.read("Last RS nr"), "12");
    EXPECT_FALSE(settings.read("Last RS"));
    EXPECT_EQ(std::filesystem::status(path_).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(SettingsFileTest, RewriteKeepsOtherLinesAndLeavesNoTemporaryFile) {
    std::filesystem::create_directories(directory_ + "/config/Morvelcast");
    std::ofstream(path_) << "# kept\r\nLast RS nr=3\r\nOther=x\nLast RS nr=4\n";
    const CSettingsFile settings(path_);
    EXPECT_EQ(settings.read("Last RS nr"), "3") << "CR of a CRLF line is not part of the value";

    ASSERT_TRUE(settings.write("Last RS nr", "7"));
    EXPECT_EQ(test::fileContents(path_), "# kept\nLast RS nr=7\nOther=x\n");
    EXPECT_EQ(settings.read("Other"), "x");
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(directory_ + "/config/Morvelcast")) {
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

// A runaway file (100 MB) is neither read nor rewritten: the value is missing, and every
// line of the file stays as it was. One of exactly the limit still reads.
TEST_F(SettingsFileTest, AFileOverTheLimitIsNeitherReadNorRewritten) {
    std::filesystem::create_directories(directory_ + "/config/Morvelcast");
    const std::string head = "Last RS nr=3\nOther=x\n";
    const struct {
        std::uintmax_t size;
        bool read;
    } cases[] = {{CSettingsFile::kMaxFileBytes, true},
                 {CSettingsFile::kMaxFileBytes + 1, false},
                 {100 * 1024 * 1024, false}};
    for (const auto& c : cases) {
        std::ofstream(path_, std::ios::trunc) << head;
        std::filesystem::resize_file(path_, c.size); // the rest reads as NUL bytes
        const CSettingsFile settings(path_);
        EXPECT_EQ(settings.read("Last RS nr").has_value(), c.read) << c.size;
        EXPECT_EQ(settings.write("Last RS nr", "7"), c.read) << c.size;
        if (!c.read) {
            EXPECT_EQ(std::filesystem::file_size(path_), c.size);
            std::string start(head.size(), '\0');
            std::ifstream(path_).read(start.data(), static_cast<std::streamsize>(start.size()));
            EXPECT_EQ(start, head);
        }
    }
}

TEST_F(SettingsFileTest, RefusesWhatWouldBreakTheLineFormat) {
    const CSettingsFile settings(path_);
    EXPECT_FALSE(settings.write("Last RS nr", "1\nInjected=2"));
    EXPECT_FALSE(settings.write("a=b", "1"));
    EXPECT_FALSE(settings.write("", "1"));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(SettingsFileTest, UnwritablePlaceFailsQuietlyAndKeepsTheOldValue) {
    // A file where the folder should be.
    std::filesystem::create_directories(directory_ + "/config");
    std::ofstream(directory_ + "/config/Morvelcast") << "in the way";
    const CSettingsFile settings(path_);
    EXPECT_FALSE(settings.write("Last RS nr", "1"));
    EXPECT_FALSE(settings.read("Last RS nr"));
}

using SettingsFileDeathTest = SettingsFileTest;

TEST_F(SettingsFileDeathTest, UnreadableFileIsLeftAlone) {
    namespace fs = std::filesystem;
    const std::string folder = directory_ + "/config/Morvelcast";
    fs::create_directories(folder);
    const std::string kept = "# kept\nLast RS nr=3\nOther=x\n";
    std::ofstream(path_) << kept;
    for (const std::string& path : {directory_, directory_ + "/config", folder}) {
        fs::permissions(path, fs::perms::all);
    }
    fs::permissions(path_, fs::perms::none);
    // Root reads whatever the permissions say, so the child asks as nobody then.
    EXPECT_EXIT(
        {
            constexpr uid_t kNobody = 65534;
            if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
                std::_Exit(2);
            }
            const CSettingsFile settings(path_);
            std::_Exit(!settings.read("Last RS nr") && !settings.write("Last RS nr", "7") ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(test::fileContents(path_), kept);
}

TEST_F(SettingsFileTest, FifoInPlaceIsNeitherWaitedForNorReplaced) {
    std::filesystem::create_directories(directory_ + "/config/Morvelcast");
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    const CSettingsFile settings(path_);
    EXPECT_FALSE(settings.read("Last RS nr"));
    EXPECT_FALSE(settings.write("Last RS nr", "7"));
    EXPECT_TRUE(std::filesystem::is_fifo(path_));
}

TEST(ParseLeadingIntTest, ReadsLikeAtoi) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {"", 0},
        {"abc", 0},
        {"x12", 0},
        {"  7", 7},
        {"\t\n 7", 7},
        {"+5", 5},
        {"-5", -5},
        {"12abc", 12},
        {"1 2", 1},
        {"- 5", 0},
        {"007", 7},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseLeadingInt(c.text), c.value) << '"' << c.text << '"';
    }
}

} // namespace
} // namespace krv
