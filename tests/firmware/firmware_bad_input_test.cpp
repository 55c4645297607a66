#include "firmware/afm_format.h"
#include "firmware/firmware_file.h"
#include "sim/afm/afm_builder.h"
#include "tests/firmware/afm_fixture.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {
namespace {

using test::TempDir;

sim::AfmContents validContents() {
    sim::AfmContents contents;
    contents.image = test::patternImage(9000);
    return contents;
}

std::vector<std::uint8_t> withDataLength(std::uint32_t dataLength) {
    auto contents = validContents();
    contents.dataLength = dataLength;
    return sim::buildAfm(contents);
}

// Each case makes a path that must not load; the load fails without touching the object or
// the out-values.
struct BadInput {
    const char* name;
    std::function<std::filesystem::path(const TempDir&)> make;
};

const BadInput kBadInputs[] = {
    {"missing file", [](const TempDir& dir) { return dir.path() / "absent.afm"; }},
    {"directory",
     [](const TempDir& dir) {
         std::filesystem::create_directory(dir.path() / "folder.afm");
         return dir.path() / "folder.afm";
     }},
    {"FIFO, refused without waiting for a writer",
     [](const TempDir& dir) {
         const auto path = dir.path() / "fifo.afm";
         EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
         return path;
     }},
    {"empty file", [](const TempDir& dir) { return dir.write("empty.afm", {}); }},
    {"39-byte file",
     [](const TempDir& dir) {
         auto bytes = sim::buildAfm(validContents());
         bytes.resize(afm::kHeaderSize - 1);
         return dir.write("short.afm", bytes);
     }},
    {"header only",
     [](const TempDir& dir) {
         auto bytes = sim::buildAfm(validContents());
         bytes.resize(afm::kHeaderSize);
         return dir.write("header.afm", bytes);
     }},
    {"data length 0", [](const TempDir& dir) { return dir.write("zero.afm", withDataLength(0)); }},
    {"data length 0xFFFFFFFF",
     [](const TempDir& dir) { return dir.write("huge.afm", withDataLength(0xFFFFFFFF)); }},
    {"data length 8,380 in a longer file",
     [](const TempDir& dir) { return dir.write("8380.afm", withDataLength(8380)); }},
    {"bad checksum",
     [](const TempDir& dir) {
         auto contents = validContents();
         contents.badChecksum = true;
         return dir.write("checksum.afm", sim::buildAfm(contents));
     }},
    {"unscrambled file",
     [](const TempDir& dir) {
         auto bytes = sim::buildAfm(validContents());
         for (auto& byte : bytes) {
             byte = afm::descrambleByte(byte);
         }
         return dir.write("plain.afm", bytes);
     }},
};

class FirmwareBadInputTest : public ::testing::Test {
protected:
    void expectRefused(const std::filesystem::path& path) {
        const auto result = test::load(file, path);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.outValuesUntouched());
        EXPECT_TRUE(file.image().empty());
        EXPECT_EQ(file.blockCount(), 0u);
    }

    TempDir dir;
    CFirmwareFile file;
};

TEST_F(FirmwareBadInputTest, EachBadInputFailsCleanly) {
    for (const auto& input : kBadInputs) {
        SCOPED_TRACE(input.name);
        expectRefused(input.make(dir));
    }
}

TEST_F(FirmwareBadInputTest, UnreadableFileFails) {
    const auto path = dir.write("locked-out.afm", sim::buildAfm(validContents()));
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (::access(path.c_str(), R_OK) == 0) {
        GTEST_SKIP() << "file permissions do not bind this user (root)";
    }
    expectRefused(path);
}

// Like a file opened elsewhere without sharing: it is not read while another holder has it.
TEST_F(FirmwareBadInputTest, FileHeldExclusivelyElsewhereFailsAndLoadsOnceReleased) {
    const auto path = dir.write("held.afm", sim::buildAfm(validContents()));
    const int holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    expectRefused(path);

    ::close(holder);
    EXPECT_TRUE(test::load(file, path).ok);
}

} // namespace
} // namespace krv
