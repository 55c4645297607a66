// Automatic backups: a readable map file per operation in the backups folder, the newest 500
// kept, and a folder that cannot be written reported instead of ignored.

#include "device/map_file/map_backups.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <chrono>
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

// A map the reader takes back: its column break points increase.
MapSnapshot restorable() {
    MapSnapshot snapshot;
    for (size_t c = 0; c < kMapColumns; ++c) {
        snapshot.columns[c] = static_cast<uint8_t>(5 + 3 * c);
    }
    return snapshot;
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
    MapSnapshot snapshot = restorable();
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

// A backup file named for its time, last modified at `modified`.
void putBackup(const fs::path& folder, const std::string& name, fs::file_time_type modified) {
    std::ofstream(folder / name) << "old";
    fs::last_write_time(folder / name, modified);
}

std::string backupName(int year, int index) {
    char name[64];
    std::snprintf(name, sizeof name, "%04d-01-01_00-%02d-%02d.000_connected.csv", year, index / 60,
                  index % 60);
    return name;
}

TEST(MapBackups, KeepsTheNewest500AndNothingElseIsTouched) {
    test::TempFolder temp;
    const fs::path folder = temp.path();
    // Older than anything written now, their names in the order of their age.
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    for (int i = 0; i < 505; ++i) {
        putBackup(folder, backupName(2000, i), longAgo + std::chrono::seconds(i));
    }
    std::ofstream(folder / "my notes.txt") << "keep";
    std::ofstream(folder / "golf-2019.csv") << "keep";
    const MapBackupWrite write = writeMapBackup(folder.string(), "load", MapSnapshot{}, {});
    ASSERT_TRUE(write.ok) << toUtf8(write.error);
    const std::set<std::string> names = namesIn(folder);
    EXPECT_EQ(names.size(), kBackupsKept + 2);
    EXPECT_TRUE(names.count("my notes.txt") && names.count("golf-2019.csv"));
    EXPECT_TRUE(names.count(fs::path(write.path).filename().string()));
    EXPECT_FALSE(names.count(backupName(2000, 5))); // six oldest gone
    EXPECT_TRUE(names.count(backupName(2000, 6)));
}

// Names are no measure of age: a clock set back writes names earlier than those kept, and a
// folder copied without its times has names that disagree with them. Pruning goes by the
// files' times, and the backup just written stays whatever its name or time.
TEST(MapBackups, PruningGoesByTheFilesTimesNeverByTheirNames) {
    const auto now = fs::file_time_type::clock::now();
    const struct {
        const char* what;
        fs::file_time_type firstModified; // of the backup named first; each next one a second later
        int step;                         // +1: names in age order, -1: against it
        std::vector<int> gone;            // indexes of the backups pruned
    } cases[] = {
        {"the clock set back a century",
         now + std::chrono::hours(24 * 365 * 80),
         1,
         {0, 1, 2, 3, 4, 5}},
        {"names against their times",
         now - std::chrono::hours(1),
         -1,
         {504, 503, 502, 501, 500, 499}},
    };
    for (const auto& c : cases) {
        test::TempFolder temp;
        const fs::path folder = temp.path();
        for (int i = 0; i < 505; ++i) {
            putBackup(folder, backupName(2099, i),
                      c.firstModified + std::chrono::seconds(c.step * i));
        }
        const MapBackupWrite write = writeMapBackup(folder.string(), "clear", restorable(), {});
        ASSERT_TRUE(write.ok) << toUtf8(write.error);
        const std::set<std::string> names = namesIn(folder);
        EXPECT_EQ(names.size(), kBackupsKept) << c.what;
        EXPECT_TRUE(names.count(fs::path(write.path).filename().string())) << c.what;
        EXPECT_TRUE(readMapFile(write.path).ok()) << c.what;
        for (int i = 0; i < 505; ++i) {
            const bool pruned = std::find(c.gone.begin(), c.gone.end(), i) != c.gone.end();
            EXPECT_EQ(names.count(backupName(2099, i)), pruned ? 0U : 1U) << c.what << ' ' << i;
        }
    }
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
