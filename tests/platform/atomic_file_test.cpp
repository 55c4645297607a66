// Files replaced whole: the new content lands where the name points, and a name that stands for
// a link, a device node or a FIFO is never turned into a regular file.

#include "platform/atomic_file.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_folder.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace krv {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, ALinkIsWrittenThroughAndStaysALink) {
    test::TempFolder temp;
    const fs::path folder = temp.path();
    fs::create_directory(folder / "real");
    std::ofstream(folder / "real" / "map.csv") << "old";
    fs::create_symlink("real/map.csv", folder / "relative");
    fs::create_symlink(folder / "relative", folder / "chain");
    fs::create_symlink("real/new.csv", folder / "dangling");
    const struct {
        const char* link;
        fs::path target;
    } cases[] = {{"relative", folder / "real" / "map.csv"},
                 {"chain", folder / "real" / "map.csv"},
                 {"dangling", folder / "real" / "new.csv"}};
    for (const auto& c : cases) {
        const std::string content = std::string("written through ") + c.link;
        ASSERT_TRUE(replaceFileAtomically((folder / c.link).string(), content)) << c.link;
        EXPECT_TRUE(fs::is_symlink(folder / c.link)) << c.link;
        EXPECT_EQ(test::fileContents(c.target.string()), content) << c.link;
    }
    // Nothing but the files themselves: no temporary file left beside the link or the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "real"), fs::directory_iterator()), 2);
}

TEST(AtomicFile, AnythingButARegularFileIsRefusedAndLeftAsItWas) {
    test::TempFolder temp;
    const fs::path folder = temp.path();
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", folder / "to-fifo");
    fs::create_directory(folder / "folder");
    fs::create_symlink("loop-b", folder / "loop-a");
    fs::create_symlink("loop-a", folder / "loop-b");
    // A device node like /dev/full; made only where the test may (as root).
    const bool device = mknod((folder / "full").c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0;
    const struct {
        const char* name;
        int error;
        fs::file_type left;
    } cases[] = {{"fifo", ENOTSUP, fs::file_type::fifo},
                 {"to-fifo", ENOTSUP, fs::file_type::symlink},
                 {"folder", EISDIR, fs::file_type::directory},
                 {"loop-a", ELOOP, fs::file_type::symlink},
                 {"full", ENOTSUP, fs::file_type::character}};
    for (const auto& c : cases) {
        if (c.left == fs::file_type::character && !device) {
            continue;
        }
        errno = 0;
        EXPECT_FALSE(replaceFileAtomically((folder / c.name).string(), "map")) << c.name;
        EXPECT_EQ(errno, c.error) << c.name;
        EXPECT_EQ(fs::symlink_status(folder / c.name).type(), c.left) << c.name;
    }
    EXPECT_EQ(fs::status(folder / "fifo").type(), fs::file_type::fifo);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              device ? 6 : 5);
}

TEST(AtomicFile, ARegularFileIsReplacedWholeKeepingItsMode) {
    test::TempFolder temp;
    const std::string path = (temp.path() / "map.csv").string();
    const mode_t umaskWas = ::umask(022);
    ASSERT_TRUE(replaceFileAtomically(path, "first, and longer"));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read)
        << "a new file follows the umask";
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_write |
                              fs::perms::group_read);
    ::umask(077);
    ASSERT_TRUE(replaceFileAtomically(path, "second"));
    ::umask(umaskWas);
    EXPECT_EQ(test::fileContents(path), "second");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_write |
                  fs::perms::group_read)
        << "a replaced file keeps its own mode";
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

TEST(AtomicFile, AMissingFolderIsNotMade) {
    test::TempFolder temp;
    const std::string path = (temp.path() / "typo" / "deeper" / "map.csv").string();
    errno = 0;
    EXPECT_FALSE(replaceFileAtomically(path, "map"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(fs::exists(temp.path() / "typo"));
}

TEST(AtomicFile, AWriteLeftUncommittedLeavesTheTargetAndNoTemporaryFile) {
    test::TempFolder temp;
    const std::string path = (temp.path() / "drive.msl").string();
    std::ofstream(path) << "old";
    {
        AtomicFileWrite file(path);
        ASSERT_TRUE(file.write("half of the new"));
        EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 2);
    }
    EXPECT_EQ(test::fileContents(path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

} // namespace
} // namespace krv
