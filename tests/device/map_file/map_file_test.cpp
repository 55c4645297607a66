// The map file: every wire value survives a save and a load, malformed files are refused
// with their line named, and only regular files of at most 1 MB are read.

#include "device/map_file/map_file.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace krv {
namespace {

MapFileInfo sampleInfo() {
    return {17, 0x0112, "2026-12-10T16:30:05+01:00"};
}

MapSnapshot sampleSnapshot() {
    MapSnapshot snapshot;
    for (size_t i = 0; i < kMapCells; ++i) {
        snapshot.cells[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    for (size_t r = 0; r < kMapRows; ++r) {
        snapshot.rows[r] = static_cast<int16_t>(r * 20);
    }
    for (size_t c = 0; c < kMapColumns; ++c) {
        snapshot.columns[c] = static_cast<uint8_t>(5 + c * 3);
    }
    snapshot.rpmDivider = 4;
    snapshot.noiseDelta = 9;
    snapshot.noisePeriod = 50000;
    return snapshot;
}

void expectRoundTrip(const MapSnapshot& snapshot) {
    const std::string text = formatMapFile(snapshot, sampleInfo());
    const MapFileRead read = parseMapFile(text);
    ASSERT_TRUE(read.ok()) << toUtf8(read.error);
    EXPECT_EQ(read.content->snapshot, snapshot);
    EXPECT_EQ(read.content->info.deviceType, 17);
    EXPECT_EQ(read.content->info.firmwareVersion, 0x0112);
    EXPECT_EQ(read.content->info.saved, "2026-12-10T16:30:05+01:00");
    EXPECT_EQ(formatMapFile(read.content->snapshot, read.content->info), text);
}

TEST(MapFile, EveryWireValueRoundTripsExactly) {
    // Cell bytes 0..255 over two snapshots; row words across the whole non-negative range;
    // increasing column bytes covering 0..255; the settings at the ends of their ranges.
    for (int start = 0; start < 256; start += 240) {
        MapSnapshot snapshot = sampleSnapshot();
        for (size_t i = 0; i < kMapCells; ++i) {
            snapshot.cells[i] = static_cast<uint8_t>((start + i) % 256);
        }
        expectRoundTrip(snapshot);
    }
    for (int first = 0; first <= 32767; first += 16 * 13) {
        MapSnapshot snapshot = sampleSnapshot();
        for (size_t r = 0; r < kMapRows; ++r) {
            snapshot.rows[r] = static_cast<int16_t>(std::min(first + int(r) * 13, 32767));
        }
        expectRoundTrip(snapshot);
    }
    MapSnapshot extremes = sampleSnapshot();
    extremes.rows = {0, 32767, 1, 32766, 200, 3, 7, 666, 1, 2, 0, 13, 14, 15, 16, 17};
    extremes.rpmDivider = 200;
    extremes.noiseDelta = 0;
    extremes.noisePeriod = 0;
    expectRoundTrip(extremes);
    extremes.rpmDivider = 1;
    extremes.noiseDelta = 255;
    extremes.noisePeriod = 50000;
    expectRoundTrip(extremes);
    for (int start = 0; start < 256; start += 15) {
        MapSnapshot snapshot = sampleSnapshot();
        for (size_t c = 0; c < kMapColumns; ++c) {
            snapshot.columns[c] = static_cast<uint8_t>(std::min(start, 255 - 14) + int(c));
        }
        expectRoundTrip(snapshot);
    }
}

TEST(MapFile, FreeTextOfTheSavedTimeCannotBreakTheFile) {
    for (std::string saved : {"", "10 Dec, 16:30", "a \"quoted\" time", "  padded  "}) {
        const std::string text = formatMapFile(sampleSnapshot(), {17, 1, saved});
        const MapFileRead read = parseMapFile(text);
        ASSERT_TRUE(read.ok()) << saved << ": " << toUtf8(read.error);
        EXPECT_EQ(read.content->info.saved, saved);
    }
    const MapFileRead read = parseMapFile(formatMapFile(sampleSnapshot(), {17, 1, "two\nlines"}));
    ASSERT_TRUE(read.ok()) << toUtf8(read.error);
    EXPECT_EQ(read.content->info.saved, "two lines");
}

TEST(MapFile, WritesTheGridAsTheWindowShowsIt) {
    MapSnapshot snapshot = sampleSnapshot();
    snapshot.cells[0] = 92;   // 1.84 V
    snapshot.rows[0] = -1;    // -0.015 V
    snapshot.rows[1] = 256;   // 3.84 V
    snapshot.columns[0] = 15; // 1500 rpm
    const std::string text = formatMapFile(snapshot, sampleInfo());
    EXPECT_TRUE(text.starts_with("format,krv-map 1\ndevice type,17\nfirmware version,274\n"
                                 "rpm divider,4\nnoise delta,9\nnoise period,50000\n"
                                 "saved,2026-12-10T16:30:05+01:00\n\nV\\RPM,1500,800,"))
        << text;
    EXPECT_NE(text.find("\n-0.015,1.84,"), std::string::npos) << text;
    EXPECT_NE(text.find("\n3.840,"), std::string::npos) << text;
}

// The parts the controller's commands carry come out of a snapshot and go back in exactly.
TEST(MapFile, SnapshotPartsAreExactBothWays) {
    MapSnapshot snapshot = sampleSnapshot();
    for (size_t i = 0; i < kMapCells; ++i) {
        snapshot.cells[i] = static_cast<uint8_t>(255 - i);
    }
    snapshot.rows[3] = -32768;
    snapshot.rows[4] = 32767;
    snapshot.columns[14] = 255;
    const MapAxes axes = snapshot.axes();
    const DeviceSettings settings = snapshot.settings();
    EXPECT_EQ(axes.rows, snapshot.rows);
    EXPECT_EQ(axes.columns, snapshot.columns);
    EXPECT_EQ(settings, (DeviceSettings{4, 9, 50000}));
    MapSnapshot rebuilt;
    rebuilt.cells = snapshot.cells;
    rebuilt.setAxes(axes);
    rebuilt.setSettings(settings);
    EXPECT_EQ(rebuilt, snapshot);
}

// Before anything is read the tool shows what a controller without a map holds.
TEST(MapFile, AnEmptySnapshotIsAControllerWithoutAMap) {
    const MapSnapshot empty;
    EXPECT_EQ(empty.cells, MapCells{});
    EXPECT_EQ(empty.axes(), defaultMapAxes());
    EXPECT_EQ(empty.settings(), DeviceSettings{});
}

TEST(MapFile, DifferingPartsNameOnlyWhatChanged) {
    const MapSnapshot before = sampleSnapshot();
    MapSnapshot cell = before;
    cell.cells[239] ^= 1;
    MapSnapshot column = before;
    column.columns[0] += 1;
    MapSnapshot setting = before;
    setting.noiseDelta += 1;
    const struct {
        const MapSnapshot& after;
        bool cells, axes, settings;
    } cases[] = {{before, false, false, false},
                 {cell, true, false, false},
                 {column, false, true, false},
                 {setting, false, false, true}};
    for (const auto& c : cases) {
        const SnapshotParts parts = differingParts(before, c.after);
        EXPECT_EQ(parts.cells, c.cells);
        EXPECT_EQ(parts.axes, c.axes);
        EXPECT_EQ(parts.settings, c.settings);
    }
}

TEST(MapFile, AcceptsByteOrderMarkCrLfQuotesAndTrailingEmptyLines) {
    const MapSnapshot snapshot = sampleSnapshot();
    std::string text = formatMapFile(snapshot, sampleInfo());
    std::string crlf = "\xEF\xBB\xBF";
    for (char ch : text) {
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    crlf += "\r\n\r\n";
    const size_t divider = crlf.find("rpm divider,4");
    crlf.replace(divider, 13, "rpm divider,\"4\"");
    const MapFileRead read = parseMapFile(crlf);
    ASSERT_TRUE(read.ok()) << toUtf8(read.error);
    EXPECT_EQ(read.content->snapshot, snapshot);
}

// Replaces the first occurrence of `from` in a valid file by `to`.
std::string mutated(std::string_view from, std::string_view to) {
    std::string text = formatMapFile(sampleSnapshot(), sampleInfo());
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    return text;
}

std::string withoutLine(int line) {
    std::string text = formatMapFile(sampleSnapshot(), sampleInfo());
    size_t start = 0;
    for (int i = 1; i < line; ++i) {
        start = text.find('\n', start) + 1;
    }
    text.erase(start, text.find('\n', start) + 1 - start);
    return text;
}

TEST(MapFile, MalformedFilesAreRefusedWithTheirLine) {
    const std::string valid = formatMapFile(sampleSnapshot(), sampleInfo());
    const std::string lastRow = valid.substr(valid.rfind('\n', valid.size() - 2) + 1);
    std::string commaRow = lastRow;
    std::replace(commaRow.begin(), commaRow.end(), '.', ',');
    const struct {
        const char* what;
        std::string text;
        int line;
        std::u16string_view fault;
    } cases[] = {
        {"empty file", "", 1, texts::kMapFileUnknownFormat},
        {"another format", mutated("krv-map 1", "krv-map 2"), 1, texts::kMapFileUnknownFormat},
        {"not a map file", "a,b,c\n", 1, texts::kMapFileUnknownFormat},
        {"unknown key", mutated("noise delta,", "noise delat,"), 5, texts::kMapFileUnknownKey},
        {"repeated key", mutated("noise delta,9", "rpm divider,9"), 5, texts::kMapFileRepeatedKey},
        {"missing key", withoutLine(6), 7, texts::kMapFileMissingKey},
        {"key with two values", mutated("noise delta,9", "noise delta,9,1"), 5,
         texts::kMapFileExtraColumn},
        {"setting not a number", mutated("noise period,50000", "noise period,5e4"), 6,
         texts::kMapFileNotNumber},
        {"setting with a fraction", mutated("rpm divider,4", "rpm divider,4.5"), 4,
         texts::kMapFileNotNumber},
        {"setting off the wire", mutated("noise delta,9", "noise delta,256"), 5,
         texts::kMapFileOutOfRange},
        {"negative setting", mutated("noise period,50000", "noise period,-1"), 6,
         texts::kMapFileOutOfRange},
        {"wrong corner", mutated("V\\RPM", "RPM"), 9, texts::kMapFileBadCorner},
        {"missing column break point", mutated(",800,", ","), 9, texts::kMapFileMissingColumn},
        {"extra column break point", mutated(",800,", ",800,900,"), 9, texts::kMapFileExtraColumn},
        {"column break point off the wire", mutated(",800,", ",25600,"), 9,
         texts::kMapFileOutOfRange},
        {"cell not a number", mutated(",0.06,", ",abc,"), 10, texts::kMapFileNotNumber},
        {"empty cell", mutated(",0.06,", ",,"), 10, texts::kMapFileNotNumber},
        {"comma decimal in quotes", mutated(",0.06,", ",\"0,06\","), 10,
         texts::kMapFileCommaDecimal},
        {"one comma decimal among dots", mutated(",0.06,", ",0,06,"), 10,
         texts::kMapFileExtraColumn},
        {"a row of comma decimals", mutated(lastRow, commaRow), 25, texts::kMapFileCommaDecimal},
        {"cell above 5.10 V", mutated(",0.06,", ",5.12,"), 10, texts::kMapFileOutOfRange},
        {"negative cell", mutated(",0.06,", ",-0.02,"), 10, texts::kMapFileOutOfRange},
        {"row break point off the wire", mutated("\n0.300,", "\n491.52,"), 11,
         texts::kMapFileOutOfRange},
        {"missing row", valid.substr(0, valid.size() - lastRow.size()), 25,
         texts::kMapFileMissingRow},
        {"extra row", valid + lastRow, 26, texts::kMapFileExtraRow},
        {"missing cell in the last row", valid.substr(0, valid.rfind(',')) + "\n", 25,
         texts::kMapFileMissingColumn},
        {"grid without the empty line", withoutLine(8), 8, texts::kMapFileUnknownKey},
        {"cut inside the last value", valid.substr(0, valid.size() - 2), 25, texts::kMapFileCutOff},
        {"last line without its line break", valid.substr(0, valid.size() - 1), 25,
         texts::kMapFileCutOff},
        {"cut inside the keys", valid.substr(0, valid.find("noise period") + 8), 6,
         texts::kMapFileCutOff},
        {"rpm divider 0", mutated("rpm divider,4", "rpm divider,0"), 4,
         texts::kMapFileSettingRefused},
        {"rpm divider over 200", mutated("rpm divider,4", "rpm divider,201"), 4,
         texts::kMapFileSettingRefused},
        {"noise period over 50000", mutated("noise period,50000", "noise period,50001"), 6,
         texts::kMapFileSettingRefused},
        {"a column equal to the one before", mutated(",800,", ",500,"), 9,
         texts::kMapFileColumnsNotIncreasing},
        {"a column below the one before", mutated(",1100,", ",700,"), 9,
         texts::kMapFileColumnsNotIncreasing},
        {"a negative row", mutated("\n0.300,", "\n-0.300,"), 11, texts::kMapFileNegativeRow},
    };
    for (const auto& c : cases) {
        const MapFileRead read = parseMapFile(c.text);
        EXPECT_FALSE(read.ok()) << c.what;
        EXPECT_EQ(read.errorLine, c.line) << c.what << ": " << toUtf8(read.error);
        EXPECT_NE(read.error.find(translate(texts::kMapFileLine) + formatText(" %d: ", c.line) +
                                  std::u16string(c.fault)),
                  std::u16string::npos)
            << c.what << ": " << toUtf8(read.error);
    }
}

TEST(MapFile, IdentityDifferenceSaysWhatDiffersFromTheController) {
    const MapFileInfo controller{17, 256, "now"};
    const struct {
        MapFileInfo file;
        bool type, version;
    } cases[] = {{{17, 256, "then"}, false, false},
                 {{18, 256, "then"}, true, false},
                 {{17, 274, "then"}, false, true},
                 {{9, 1, "then"}, true, true}};
    for (const auto& c : cases) {
        const IdentityDifference difference = identityDifference(c.file, controller);
        EXPECT_EQ(difference.deviceType, c.type);
        EXPECT_EQ(difference.firmwareVersion, c.version);
        EXPECT_EQ(difference.any(), c.type || c.version);
        // The file's identity first, then the controller's, each with its version.
        const std::u16string expected =
            difference.any()
                ? fillIn(translate(texts::kMapFileOtherController),
                         {toU16(std::to_string(c.file.deviceType)),
                          toU16(std::to_string(c.file.firmwareVersion)), u"17", u"256"})
                : u"";
        EXPECT_EQ(difference.message, expected);
    }
}

TEST(MapFile, ReadsOnlyRegularFilesUpToOneMegabyte) {
    test::TempFolder folder;
    const auto path = [&](const char* name) { return (folder.path() / name).string(); };
    const std::string valid = formatMapFile(sampleSnapshot(), sampleInfo());
    std::ofstream(path("map.csv")) << valid;
    // Padding to exactly 1 MB with trailing empty lines is still a map; one byte more is not.
    std::ofstream(path("full.csv")) << valid << std::string(kMapFileMaxBytes - valid.size(), '\n');
    std::ofstream(path("big.csv"))
        << valid << std::string(kMapFileMaxBytes - valid.size() + 1, '\n');
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);

    ASSERT_TRUE(readMapFile(path("map.csv")).ok());
    EXPECT_EQ(readMapFile(path("map.csv")).content->snapshot, sampleSnapshot());
    EXPECT_TRUE(readMapFile(path("full.csv")).ok());
    const struct {
        std::string path;
        std::u16string_view error;
        std::string reason; // after the path
    } refused[] = {{path("big.csv"), texts::kMapFileTooLarge, ""},
                   {path("fifo"), texts::kMapFileNotRegular, ""},
                   {folder.path().string(), texts::kMapFileNotRegular, ""},
                   {path("missing.csv"), texts::kMapFileCannotOpen, ": No such file or directory"}};
    for (const auto& r : refused) {
        const MapFileRead read = readMapFile(r.path);
        EXPECT_FALSE(read.ok()) << r.path;
        // Which file of several, and why: the path and the system's reason under the fault.
        EXPECT_EQ(read.error, translate(r.error) + u"\n" + toU16(r.path + r.reason)) << r.path;
        EXPECT_EQ(read.errorLine, 0);
    }
}

TEST(MapFile, SavedTimeIsIso8601WithTheOffset) {
    const std::string stamp = localTimeIso8601(0);
    ASSERT_EQ(stamp.size(), 25u) << stamp;
    EXPECT_EQ(stamp[10], 'T');
    EXPECT_EQ(stamp[22], ':');
}

} // namespace
} // namespace krv
