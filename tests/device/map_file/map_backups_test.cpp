// Automatic backups: a readable map file per operation in the backups folder, the newest 500
// kept, and a folder that cannot be written reported instead of ignored.

#include "device/map_file/map_backups.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"
#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

namespace krv {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(MapBackups, FolderFollowsXdgDataHome) {
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedData = data ? data : "", savedHome = home ? home : "";
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(mapBackupFolder(), "/data/Morvelcast/backups");
    setenv("XDG_DATA_HOME", "relative", 1);
    setenv("HOME", "/home/fitter", 1);
    EXPECT_EQ(mapBackupFolder(), "/home/fitter/.local/share/Morvelcast/backups");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(mapBackupFolder(), "/home/fitter/.local/share/Morvelcast/backups");
    data ? setenv("XDG_DATA_HOME", savedData.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    home ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}

TEST(MapBackups, EachBackupIsAMapFileOfItsOwn) {
    test::TempFolder temp;
    const std::string folder = (temp.path() / "deep" / "backups").string();
    MapSnapshot snapshot;
    snapshot.cells[17] = 92;
    std::set<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        const MapBackupWrite write = writeMapBackup(folder, "clear", snapshot, {17, 256, "now"});
        ASSERT_TRUE(write.ok) << toUtf8(write.error);
        EXPECT_TRUE(write.path.ends_with("_clear.csv") ||
                    write.path.find("_clear-") != std::string::npos)
            << write.path;
        paths.insert(write.path);
        const MapFileRead read = readMapFile(write.path);
        ASSERT_TRUE(read.ok()) << toUtf8(read.error);
        EXPECT_EQ(read.content->snapshot, snapshot);
    }
    EXPECT_EQ(paths.size(), 3u); // three calls within a millisecond still keep three files
    EXPECT_EQ(namesIn(folder).size(), 3u); // and no temporary file is left
}

TEST(MapBackups, KeepsTheNewest500AndNothingElseIsTouched) {
    test::TempFolder temp;
    const fs::path folder = temp.path();
    // Older than anything written now, in name order of their age.
    for (int i = 0; i < 505; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "2000-01-01_00-%02d-%02d.000_connected.csv", i / 60,
                      i % 60);
        std::ofstream(folder / name) << "old";
    }
    std::ofstream(folder / "my notes.txt") << "keep";
    std::ofstream(folder / "golf-2019.csv") << "keep";
    const MapBackupWrite write = writeMapBackup(folder.string(), "load", MapSnapshot{}, {});
    ASSERT_TRUE(write.ok) << toUtf8(write.error);
    const std::set<std::string> names = namesIn(folder);
    EXPECT_EQ(names.size(), kBackupsKept + 2);
    EXPECT_TRUE(names.count("my notes.txt") && names.count("golf-2019.csv"));
    EXPECT_TRUE(names.count(fs::path(write.path).filename().string()));
    EXPECT_FALSE(names.count("2000-01-01_00-00-05.000_connected.csv")); // six oldest gone
    EXPECT_TRUE(names.count("2000-01-01_00-00-06.000_connected.csv"));
}

TEST(MapBackups, AFolderThatCannotBeWrittenIsReported) {
    test::TempFolder temp;
    const fs::path blocker = temp.path() / "backups";
    std::ofstream(blocker) << "a file where the folder should be";
    const MapBackupWrite write = writeMapBackup(blocker.string(), "clear", MapSnapshot{}, {});
    EXPECT_FALSE(write.ok);
    EXPECT_TRUE(write.error.starts_with(translate(texts::kBackupFailed))) << toUtf8(write.error);
    EXPECT_NE(write.error.find(toU16(blocker.string())), std::u16string::npos);
    EXPECT_FALSE(writeMapBackup(std::string(), "clear", MapSnapshot{}, {}).ok);
}

} // namespace
} // namespace krv
