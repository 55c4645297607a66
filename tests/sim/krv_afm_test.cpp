#include "firmware/afm_format.h"
#include "firmware/firmware_file.h"
#include "sim/afm/afm_builder.h"
#include "sim/afm/afm_tool.h"
#include "tests/firmware/afm_fixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace krv {
namespace {

using test::TempDir;

class KrvAfmTest : public ::testing::Test {
protected:
    int run(std::vector<std::string> args) {
        errors.str({});
        return sim::runAfmTool(args, errors);
    }

    TempDir dir;
    std::ostringstream errors;
    CFirmwareFile file;
};

TEST_F(KrvAfmTest, WritesAFileThatLoadsBackWithImageAndHeaderFields) {
    const auto image = test::patternImage(30001);
    const auto imagePath = dir.write("image.bin", image);
    const auto out = dir.path() / "out.afm";

    ASSERT_EQ(run({out.string(), "--image", imagePath.string(), "--version", "0x0203", "--target",
                   "258", "--id", "Zażółć KRV"}),
              sim::kAfmToolOk)
        << errors.str();

    const auto result = test::load(file, out);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.fileVersion, 0x0203);
    EXPECT_EQ(result.targetCode, 258);
    EXPECT_EQ(result.identification, u"Zażółć KRV");
    EXPECT_EQ(file.imageLength(), image.size());
    EXPECT_TRUE(std::ranges::equal(file.image().first(image.size()), image));
}

TEST_F(KrvAfmTest, DefaultsSuitTheController) {
    const auto out = dir.path() / "defaults.afm";
    ASSERT_EQ(run({out.string(), "--sample"}), sim::kAfmToolOk) << errors.str();

    const auto result = test::load(file, out);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.fileVersion, 0x0100);
    EXPECT_EQ(result.targetCode, 0x0101);
    EXPECT_EQ(result.identification, u"MORVELCASTR_33EP");
}

// The sample is the largest image the bootloader programs (rows up to address 0xA000), with
// each word holding its own program address and a zero fourth byte.
TEST_F(KrvAfmTest, SampleIsAFullImageIntoNewFolders) {
    const auto out = dir.path() / "Morvelcast Firmware" / "33EP" / "sample.afm";
    ASSERT_EQ(run({out.string(), "--sample"}), sim::kAfmToolOk) << errors.str();

    ASSERT_TRUE(test::load(file, out).ok);
    EXPECT_EQ(file.imageLength(), 81920u);
    EXPECT_EQ(file.blockCount(), 320u);
    const auto image = file.image();
    for (const std::size_t offset : {0x3000u, 0x3104u, 81916u}) {
        SCOPED_TRACE(offset);
        const auto address = offset / 2;
        EXPECT_EQ(image[offset], address & 0xFF);
        EXPECT_EQ(image[offset + 1], (address >> 8) & 0xFF);
        EXPECT_EQ(image[offset + 2], address >> 16);
        EXPECT_EQ(image[offset + 3], 0);
    }
}

TEST_F(KrvAfmTest, BadChecksumFileDoesNotLoad) {
    const auto out = dir.path() / "bad.afm";
    ASSERT_EQ(run({out.string(), "--sample", "--bad-checksum"}), sim::kAfmToolOk);

    EXPECT_FALSE(test::load(file, out).ok);
}

TEST_F(KrvAfmTest, RefusesBadArgumentsAndWritesNothing) {
    const auto small = dir.write("small.bin", test::patternImage(8320));
    const auto large = dir.write("large.bin", test::patternImage(98245));
    const auto out = (dir.path() / "never.afm").string();
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {"no arguments", {}, sim::kAfmToolUsage},
        {"no image", {out}, sim::kAfmToolUsage},
        {"image and sample", {out, "--sample", "--image", small.string()}, sim::kAfmToolUsage},
        {"no output", {"--sample"}, sim::kAfmToolUsage},
        {"two outputs", {out, out, "--sample"}, sim::kAfmToolUsage},
        {"unknown option", {out, "--sample", "--fast"}, sim::kAfmToolUsage},
        {"missing value", {out, "--sample", "--version"}, sim::kAfmToolUsage},
        {"version too large", {out, "--sample", "--version", "0x10000"}, sim::kAfmToolUsage},
        {"target not a number", {out, "--sample", "--target", "12ab"}, sim::kAfmToolUsage},
        {"empty hex number", {out, "--sample", "--target", "0x"}, sim::kAfmToolUsage},
        {"negative number", {out, "--sample", "--target", "-1"}, sim::kAfmToolUsage},
        {"identification of 19 characters",
         {out, "--sample", "--id", "MORVELCASTR_33EP_XY"},
         sim::kAfmToolUsage},
        {"identification outside code page 1250",
         {out, "--sample", "--id", "KRV 日本"},
         sim::kAfmToolUsage},
        {"image file missing",
         {out, "--image", (dir.path() / "none.bin").string()},
         sim::kAfmToolFailed},
        {"image too small to load", {out, "--image", small.string()}, sim::kAfmToolFailed},
        {"image too large to load", {out, "--image", large.string()}, sim::kAfmToolFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.args), c.exitCode);
        EXPECT_FALSE(errors.str().empty());
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(KrvAfmTest, HelpShowsUsage) {
    EXPECT_EQ(run({"--help"}), sim::kAfmToolOk);
    EXPECT_NE(errors.str().find("usage: krv-afm"), std::string::npos);
}

TEST_F(KrvAfmTest, ReportsAnOutputThatCannotBeWritten) {
    const auto blocker = dir.write("plain-file", {});
    EXPECT_EQ(run({(blocker / "out.afm").string(), "--sample"}), sim::kAfmToolFailed);
    EXPECT_NE(errors.str().find("cannot write"), std::string::npos);
}

} // namespace
} // namespace krv
