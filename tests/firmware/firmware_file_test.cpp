#include "firmware/afm_format.h"
#include "firmware/firmware_file.h"
#include "platform/text.h"
#include "sim/afm/afm_builder.h"
#include "tests/firmware/afm_fixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace krv {
namespace {

using test::LoadResult;
using test::patternImage;
using test::TempDir;

sim::AfmContents withImage(std::size_t imageLength) {
    sim::AfmContents contents;
    contents.image = patternImage(imageLength);
    return contents;
}

class FirmwareFileTest : public ::testing::Test {
protected:
    // The same bytes loaded from memory must answer exactly as the file does.
    LoadResult loadBytes(const std::vector<std::uint8_t>& bytes, CFirmwareFile& into) {
        const LoadResult fromFile = test::load(into, dir.write("firmware.afm", bytes));
        CFirmwareFile memoryFile;
        LoadResult fromMemory;
        fromMemory.ok = memoryFile.load(bytes, fromMemory.fileVersion, fromMemory.identification,
                                        fromMemory.targetCode);
        EXPECT_TRUE(fromMemory == fromFile) << "loaded from memory";
        if (fromMemory.ok && fromFile.ok) {
            EXPECT_TRUE(std::ranges::equal(memoryFile.image(), into.image()));
            EXPECT_EQ(memoryFile.imageLength(), into.imageLength());
            EXPECT_EQ(memoryFile.blockCount(), into.blockCount());
        }
        return fromFile;
    }
    LoadResult loadBytes(const std::vector<std::uint8_t>& bytes) { return loadBytes(bytes, file); }
    LoadResult loadContents(const sim::AfmContents& contents) {
        return loadBytes(sim::buildAfm(contents));
    }
    void expectImage(std::span<const std::uint8_t> source) {
        ASSERT_EQ(file.image().size(), afm::kImageSize);
        EXPECT_EQ(file.imageLength(), source.size());
        EXPECT_TRUE(std::ranges::equal(file.image().first(source.size()), source));
        EXPECT_TRUE(std::ranges::all_of(file.image().subspan(source.size()), [](std::uint8_t byte) {
            return byte == 0;
        })) << "the image must be zero from imageLength on";
    }

    TempDir dir;
    CFirmwareFile file;
};

TEST_F(FirmwareFileTest, NewObjectHoldsNoImage) {
    EXPECT_TRUE(file.image().empty());
    EXPECT_EQ(file.imageLength(), 0u);
    EXPECT_EQ(file.blockCount(), 0u);
}

TEST_F(FirmwareFileTest, RoundTripGivesImageAndHeaderFields) {
    auto contents = withImage(20000);
    contents.fileVersion = 0x0203;
    contents.targetCode = 0x0101;
    contents.identification = "MORVELCASTR_33EP";

    const auto result = loadContents(contents);

    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.fileVersion, 0x0203);
    EXPECT_EQ(result.targetCode, 0x0101);
    EXPECT_EQ(result.identification, u"MORVELCASTR_33EP");
    expectImage(contents.image);
}

TEST_F(FirmwareFileTest, LoadsFromAWidePath) {
    const auto contents = withImage(9000);
    const auto bytes = sim::buildAfm(contents);
    const std::u16string name = u"Oprogramowanie żółć.afm";
    dir.write(toUtf8(name), bytes);

    ASSERT_TRUE(test::load(file, dir.path() / std::filesystem::path(name)).ok);
    expectImage(contents.image);
}

// The data length must leave at least one image byte after the 60 dropped ones and must fit
// the 98,304-byte buffer; the block count rounds a partial last block up.
TEST_F(FirmwareFileTest, DataLengthBoundsAndBlockCounts) {
    struct Case {
        std::size_t imageLength;
        bool loads;
        std::uint32_t blockCount;
    };
    const Case cases[] = {
        {8320, false, 0},   // data length 8,380: nothing after the dropped bytes
        {8321, true, 33},   // data length 8,381, the smallest accepted
        {8448, true, 33},   // exactly 33 blocks
        {8449, true, 34},   // one byte into the 34th block
        {98244, true, 384}, // data length 98,304, the largest accepted
        {98245, false, 0},  // data length 98,305 fails although the file holds all of it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "image length " << c.imageLength);
        CFirmwareFile fresh;
        const auto bytes = sim::buildAfm(withImage(c.imageLength));
        ASSERT_EQ(bytes.size(), afm::kHeaderSize + c.imageLength + afm::kDroppedSize);
        const auto result = loadBytes(bytes, fresh);
        EXPECT_EQ(result.ok, c.loads);
        EXPECT_EQ(fresh.blockCount(), c.blockCount);
        EXPECT_EQ(fresh.imageLength(), c.loads ? c.imageLength : 0u);
    }
}

TEST_F(FirmwareFileTest, BytesPastTheDataAreIgnored) {
    auto contents = withImage(9000);
    contents.trailing.assign(5000, 0x5A);

    ASSERT_TRUE(loadContents(contents).ok);
    expectImage(contents.image);
}

TEST_F(FirmwareFileTest, FileShorterThanItsDataLengthFails) {
    auto truncated = sim::buildAfm(withImage(9000));
    truncated.pop_back();
    EXPECT_FALSE(loadBytes(truncated).ok);

    auto overstated = withImage(9000);
    overstated.dataLength = 9000 + afm::kDroppedSize + 1;
    EXPECT_FALSE(loadContents(overstated).ok);
}

TEST_F(FirmwareFileTest, DroppedDataBytesNeverReachTheImage) {
    auto contents = withImage(8800);
    contents.droppedFill = 0xEE;

    ASSERT_TRUE(loadContents(contents).ok);

    // Image offset 8,320 holds data offset 8,380, the first byte after the dropped ones.
    EXPECT_EQ(file.image()[afm::kDroppedOffset - 1], contents.image[afm::kDroppedOffset - 1]);
    EXPECT_EQ(file.image()[afm::kDroppedOffset], contents.image[afm::kDroppedOffset]);
    EXPECT_EQ(std::ranges::count(file.image(), 0xEE), std::ranges::count(contents.image, 0xEE));
    expectImage(contents.image);
}

// With a full 81,920-byte image the data length is 81,980, and its 16-bit count covers only
// data offsets 0..16,443: later bytes are not protected by the checksum.
TEST_F(FirmwareFileTest, ChecksumCoversHeaderAndFirstDataLengthMod65536Bytes) {
    const auto good = sim::buildAfm(withImage(81920));
    ASSERT_EQ(good.size(), afm::kHeaderSize + 81980);
    const auto withFlippedByte = [&](std::size_t fileOffset) {
        auto bytes = good;
        bytes[fileOffset] ^= 0x10;
        return bytes;
    };
    const std::size_t unprotectedDataOffsets[] = {16444, 40000, 81979};
    const std::size_t protectedDataOffsets[] = {0, 8320, 8379, 16443};

    for (const auto offset : unprotectedDataOffsets) {
        SCOPED_TRACE(testing::Message() << "data offset " << offset);
        EXPECT_TRUE(loadBytes(withFlippedByte(afm::kHeaderSize + offset)).ok);
    }
    for (const auto offset : protectedDataOffsets) {
        SCOPED_TRACE(testing::Message() << "data offset " << offset);
        EXPECT_FALSE(loadBytes(withFlippedByte(afm::kHeaderSize + offset)).ok);
    }
    for (std::size_t offset = 0; offset < afm::kChecksumOffset; ++offset) {
        SCOPED_TRACE(testing::Message() << "header offset " << offset);
        EXPECT_FALSE(loadBytes(withFlippedByte(offset)).ok);
    }
}

TEST_F(FirmwareFileTest, FailedLoadKeepsTheEarlierImageAndOutValues) {
    const auto first = withImage(12345);
    ASSERT_TRUE(loadContents(first).ok);

    auto broken = withImage(30000);
    broken.badChecksum = true;
    const auto result = loadContents(broken);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.outValuesUntouched());
    EXPECT_EQ(file.blockCount(), 49u);
    expectImage(first.image);
}

TEST_F(FirmwareFileTest, SecondGoodLoadReplacesTheImageAndClearsItsTail) {
    ASSERT_TRUE(loadContents(withImage(40000)).ok);
    const auto second = withImage(10000);

    ASSERT_TRUE(loadContents(second).ok);

    EXPECT_EQ(file.blockCount(), 40u);
    expectImage(second.image);
}

TEST_F(FirmwareFileTest, IdentificationIsConvertedFromCodePage1250) {
    struct Case {
        const char* name;
        std::string field;
        std::u16string expected;
    };
    const Case cases[] = {
        {"Polish letters", "\xAF\xF3\xB3\xE6 \x9C\x9F\xB9\xEA\xF1 \xA3\x8C\x8F", u"Żółć śźąęń ŁŚŹ"},
        {"text ends at the first NUL", std::string("KRV\0junk", 8), u"KRV"},
        {"a full field without NUL stops before the checksum", std::string(19, 'X'),
         std::u16string(19, u'X')},
        {"byte undefined in the code page", "A\x81Z", u"A\uFFFDZ"},
        {"empty", "", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto contents = withImage(9000);
        contents.identification = c.field;
        const auto result = loadContents(contents);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.identification, c.expected);
    }
}

TEST_F(FirmwareFileTest, ReservedHeaderBytesAreCheckedButNotInterpreted) {
    auto contents = withImage(9000);
    contents.reserved = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    contents.targetCode = 0x0202;

    const auto result = loadContents(contents);

    ASSERT_TRUE(result.ok) << "target and identification are the caller's checks";
    EXPECT_EQ(result.targetCode, 0x0202);
}

} // namespace
} // namespace krv
