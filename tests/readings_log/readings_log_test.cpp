// Reading back the readings logs the tool writes: every value as written, the link's gaps and
// the markers; a last line cut off by a recording that ended hard is dropped, anything else
// wrong refuses the log naming the line; files that are no logs are refused before reading.

#include "device/readings_csv.h"
#include "device/readings_recorder.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "readings_log/readings_log.h"
#include "tests/device/readings_record.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace krv {
namespace {

using namespace std::chrono_literals;

const std::string kHead = "# krv readings\n"
                          "# started,2026-12-10T17:05:09+01:00\n"
                          "# firmware version,256\n"
                          "seconds,sample,rpm,input V,output V,pump PWM V,work state\n";
constexpr int kHeadLines = 4;
// The head up to the column row, and the axes lines of the default axes.
const std::string kTitle = kHead.substr(0, kHead.find("seconds"));
const std::string kRowAxis = "# row axis,0.960,1.920,2.880,3.840,4.800,5.760,6.720,7.680,8.640,"
                             "9.600,10.560,11.520,12.480,13.440,14.400,15.360\n";
const std::string kColumnAxis =
    "# column axis,500,800,1100,1400,1700,2000,2300,2600,2900,3200,3500,3800,4100,4400,4700\n";

std::string lineError(int line, std::u16string_view fault, std::string_view first = {},
                      std::string_view second = {}) {
    return toUtf8(
        fillIn(texts::kReadingsLogAtLine,
               {toU16(std::to_string(line)), fillIn(fault, {toU16(first), toU16(second)})}));
}

TEST(ReadingsLog, ReadsBackWhatTheRecorderWrote) {
    CDiagData store;
    std::ostringstream out;
    const auto start = CReadingsRecorder::Clock::now();
    MapAxes axes = defaultMapAxes();
    axes.rows[3] = -7; // a break point below zero volts, as the controller allows
    axes.columns[14] = 255;
    CReadingsRecorder recorder(out, store, 258, axes, start);
    store.pushSample(test::readingsRecord(3400, 211, 400, 407, 3, 1));
    store.pushSample(test::readingsRecord(1530, -7, 1, 65535, 2, 2));
    recorder.update(true, start + 250ms);
    recorder.update(false, start + 1s);
    store.clearSamples(); // as the polling thread does when it gives up
    store.pushSample(test::readingsRecord(0xFFFF, 3, 999, 0, 3, 1));
    recorder.update(true, start + 2500ms);
    out << readings_csv::markerComment(1, 2.6) << readings_csv::markerComment(2, 2.6);
    recorder.update(false, start + 3s);

    const ReadingsLogRead read = parseReadingsLog(out.str());
    ASSERT_TRUE(read.ok()) << read.error;
    const ReadingsLog& log = *read.log;
    EXPECT_EQ(log.firmwareVersion, 258);
    EXPECT_EQ(log.axes, std::optional<MapAxes>(axes));
    EXPECT_EQ(log.started.size(), 25u) << log.started; // 2026-12-10T17:05:09+01:00
    ASSERT_EQ(log.readings.size(), 3u);
    const struct {
        double seconds;
        uint32_t sample;
        int rpm;
        double input, output, pump;
        bool working;
    } expected[] = {{0.25, 1, 2210, 2.0, 2.035, 3.165, true},
                    {0.25, 2, 4900, 0.005, 327.675, -0.105, false},
                    {2.5, 3, 0, 4.995, 0.0, 0.045, true}};
    for (size_t i = 0; i < std::size(expected); ++i) {
        const LogReading& got = log.readings[i];
        EXPECT_DOUBLE_EQ(got.seconds, expected[i].seconds) << i;
        EXPECT_EQ(got.sample, expected[i].sample) << i;
        EXPECT_EQ(got.rpm, expected[i].rpm) << i;
        EXPECT_DOUBLE_EQ(got.input, expected[i].input) << i;
        EXPECT_DOUBLE_EQ(got.output, expected[i].output) << i;
        EXPECT_DOUBLE_EQ(got.pump, expected[i].pump) << i;
        EXPECT_EQ(got.working, expected[i].working) << i;
    }
    ASSERT_EQ(log.gaps.size(), 2u);
    EXPECT_DOUBLE_EQ(log.gaps[0].lostAt, 1.0);
    EXPECT_DOUBLE_EQ(log.gaps[0].backAt, 2.5);
    EXPECT_DOUBLE_EQ(log.gaps[1].lostAt, 3.0);
    EXPECT_LT(log.gaps[1].backAt, 0); // the recording ended with the link down
    ASSERT_EQ(log.markers.size(), 2u);
    EXPECT_EQ(log.markers[1].number, 2);
    EXPECT_DOUBLE_EQ(log.markers[1].seconds, 2.6);
}

TEST(ReadingsLog, AcceptsEndsARecordingCanHave) {
    const std::string row1 = "0.050,1,2210,2.000,2.035,3.165,0\n";
    const std::string row2 = "0.100,2,2220,2.005,2.040,3.170,1\n";
    const struct {
        const char* what;
        std::string text;
        size_t readings;
        size_t markers;
    } cases[] = {
        {"the axes named, after the firmware version",
         kTitle + kRowAxis + kColumnAxis + std::string(readings_csv::kColumnRow) + "\n" + row1, 1,
         0},
        {"a byte-order mark before the title", "\xEF\xBB\xBF" + kHead + row1, 1, 0},
        {"a row cut off mid-value", kHead + row1 + "0.100,2,22", 1, 0},
        {"a row cut off after a comma", kHead + row1 + row2 + "0.150,3,", 2, 0},
        {"a comment cut off", kHead + row1 + "# link lo", 1, 0},
        {"a marker cut off before its unit", kHead + row1 + "# marker 1 at 0.07", 1, 0},
        {"a whole last row without its line end", kHead + row1 + row2.substr(0, row2.size() - 1), 2,
         0},
        {"zero bytes after a cut-off row (power lost)",
         kHead + row1 + "0.1" + std::string(4096, '\0'), 1, 0},
        {"zero bytes after a whole row", kHead + row1 + std::string(100, '\0'), 1, 0},
        {"CR LF line ends",
         "# krv readings\r\n# started,x\r\n# firmware version,1\r\n" +
             std::string(readings_csv::kColumnRow) + "\r\n0.050,1,0,0,0,0,0\r\n",
         1, 0},
        {"header lines in the other order",
         "# krv readings\n# firmware version,256\n# started,x\n" +
             std::string(readings_csv::kColumnRow) + "\n" + row1,
         1, 0},
        {"a marker between rows of one moment",
         kHead + row1 + "# marker 1 at 0.050 s\n" + "0.050,2,0,0,0,0,0\n", 2, 1},
        {"markers numbered with gaps",
         kHead + "# marker 2 at 0.000 s\n# marker 5 at 1.000 s\n1.000,1,0,0,0,0,0\n", 1, 2},
        {"an empty started value",
         "# krv readings\n# started,\n# firmware version,0\n" +
             std::string(readings_csv::kColumnRow) + "\n" + row1,
         1, 0},
        // Earlier recorders wrote the new polling thread's first rows just before "link back",
        // at its very time.
        {"rows at the moment the link came back",
         kHead + row1 + "# link lost at 1.000 s\n2.000,2,0,0,0,0,0\n# link back at 2.000 s\n", 2,
         0},
        {"the controller's extremes",
         kHead + "0.050,1,7500000,327.675,0.000,-491.520,0\n0.100,2,0,0.000,327.675,491.505,1\n", 2,
         0},
    };
    for (const auto& c : cases) {
        const ReadingsLogRead read = parseReadingsLog(c.text);
        ASSERT_TRUE(read.ok()) << c.what << ": " << read.error;
        EXPECT_EQ(read.log->readings.size(), c.readings) << c.what;
        EXPECT_EQ(read.log->markers.size(), c.markers) << c.what;
    }
}

TEST(ReadingsLog, RefusesAnythingElseNamingTheLine) {
    const std::string row = "0.050,1,2210,2.000,2.035,3.165,0\n";
    const int rowLine = kHeadLines + 1;
    const std::string columns(readings_csv::kColumnRow);
    const struct {
        const char* what;
        std::string text;
        std::string error;
    } cases[] = {
        {"an empty file", "", lineError(1, texts::kReadingsLogNoColumns)},
        {"another CSV", columns + "\n" + row, lineError(1, texts::kReadingsLogNotALog)},
        {"a map file", "format,krv-map 1\n", lineError(1, texts::kReadingsLogNotALog)},
        {"the header ends without the column row", "# krv readings\n# started,x\n",
         lineError(2, texts::kReadingsLogNoColumns)},
        {"a column renamed",
         "# krv readings\n# started,x\n# firmware version,1\n"
         "seconds,sample,rpm,input V,output V,pump V,work state\n",
         lineError(4, texts::kReadingsLogBadColumns)},
        {"a column missing",
         "# krv readings\n# started,x\n# firmware version,1\n"
         "seconds,sample,rpm,input V,output V,pump PWM V\n" +
             row,
         lineError(4, texts::kReadingsLogBadColumns)},
        {"no firmware version", "# krv readings\n# started,x\n" + columns + "\n",
         lineError(3, texts::kReadingsLogMissingHeaderLine, "firmware version")},
        {"no start time", "# krv readings\n# firmware version,1\n" + columns + "\n",
         lineError(3, texts::kReadingsLogMissingHeaderLine, "started")},
        {"a start time twice", "# krv readings\n# started,x\n# started,y\n",
         lineError(3, texts::kReadingsLogRepeatedHeaderLine)},
        {"an unknown header comment", "# krv readings\n# car,Fiat\n",
         lineError(2, texts::kReadingsLogUnknownHeaderLine)},
        {"a firmware version with decimals", "# krv readings\n# firmware version,2.5\n",
         lineError(2, texts::kReadingsLogNotNumber, "firmware version", "2.5")},
        {"a firmware version past 16 bits", "# krv readings\n# firmware version,65536\n",
         lineError(2, texts::kReadingsLogOutOfRange, "firmware version", "65536")},
        {"a letter in a voltage", kHead + "0.050,1,2210,2.0x0,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogNotNumber, "input V", "2.0x0")},
        {"a blank before a number", kHead + "0.050,1,2210,2.000, 2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogNotNumber, "output V", " 2.035")},
        {"an empty field", kHead + "0.050,1,2210,2.000,2.035,,0\n",
         lineError(rowLine, texts::kReadingsLogNotNumber, "pump PWM V", "")},
        {"NaN seconds", kHead + "nan,1,2210,2.000,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogNotNumber, "seconds", "nan")},
        {"infinite volts", kHead + "0.050,1,2210,inf,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogNotNumber, "input V", "inf")},
        {"comma decimals", kHead + "0,050,1,2210,2,000,2,035,3,165,0\n",
         lineError(rowLine, texts::kReadingsLogFieldCount, "11", "7")},
        {"a field short", kHead + "0.050,1,2210,2.000,2.035,3.165\n",
         lineError(rowLine, texts::kReadingsLogFieldCount, "6", "7")},
        {"a negative rpm", kHead + "0.050,1,-10,2.000,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "rpm", "-10")},
        {"a work state of 2", kHead + "0.050,1,2210,2.000,2.035,3.165,2\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "work state", "2")},
        {"a sample number past 32 bits", kHead + "0.050,4294967296,2210,2.000,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "sample", "4294967296")},
        {"negative seconds", kHead + "-0.050,1,2210,2.000,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "seconds", "-0.050")},
        {"time going backwards", kHead + row + "0.049,2,2210,2.000,2.035,3.165,0\n",
         lineError(rowLine + 1, texts::kReadingsLogTimeBackwards, "0.049", "0.050")},
        {"a comment before the last row's time", kHead + row + "# link lost at 0.010 s\n",
         lineError(rowLine + 1, texts::kReadingsLogTimeBackwards, "0.010", "0.050")},
        {"a sample number repeated", kHead + row + row,
         lineError(rowLine + 1, texts::kReadingsLogSampleNotRising, "1", "1")},
        {"the link back that was never lost", kHead + row + "# link back at 1.000 s\n",
         lineError(rowLine + 1, texts::kReadingsLogBackUnlost)},
        {"the link lost twice", kHead + "# link lost at 1.000 s\n# link lost at 2.000 s\n",
         lineError(rowLine + 1, texts::kReadingsLogLostTwice)},
        {"a marker number going down", kHead + "# marker 2 at 1.000 s\n# marker 1 at 2.000 s\n",
         lineError(rowLine + 1, texts::kReadingsLogMarkerNotRising, "1", "2")},
        {"a marker number 0", kHead + "# marker 0 at 1.000 s\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "marker", "0")},
        {"a marker without a number", kHead + "# marker  at 1.000 s\n",
         lineError(rowLine, texts::kReadingsLogNotNumber, "marker", "")},
        {"a marker time in minutes", kHead + "# marker 1 at 1:20 s\n",
         lineError(rowLine, texts::kReadingsLogNotNumber, "seconds", "1:20")},
        {"a note of the user's", kHead + row + "# tank empty\n",
         lineError(rowLine + 1, texts::kReadingsLogUnknownComment)},
        {"a comment in a known shape with an unknown word", kHead + "# refuel at 3.000 s\n",
         lineError(rowLine, texts::kReadingsLogUnknownComment)},
        {"an empty line between rows", kHead + row + "\n0.100,2,0,0,0,0,0\n",
         lineError(rowLine + 1, texts::kReadingsLogEmptyLine)},
        {"an empty line at the end", kHead + row + "\n",
         lineError(rowLine + 1, texts::kReadingsLogEmptyLine)},
        // Only the unfinished last line is forgiven: a whole line is held to the rules.
        {"a bad last line with its line end", kHead + row + "0.100,2,22\n",
         lineError(rowLine + 1, texts::kReadingsLogFieldCount, "3", "7")},
        {"a bad line before a cut-off one", kHead + "0.050,1,x,0,0,0,0\n0.100,2,2",
         lineError(rowLine, texts::kReadingsLogNotNumber, "rpm", "x")},
        // Values no controller reports: the recorder's own conversions never give them.
        {"a pump far past the wire's range", kHead + "0.050,1,2210,2.000,2.035,-1e300,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "pump PWM V", "-1e300")},
        {"an input of 1e300 V", kHead + "0.050,1,2210,1e300,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "input V", "1e300")},
        {"negative output volts", kHead + "0.050,1,2210,2.000,-0.005,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "output V", "-0.005")},
        {"an rpm past one pulse a tick", kHead + "0.050,1,7500010,2.000,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "rpm", "7500010")},
        {"a time of 1e308 s", kHead + "1e308,1,2210,2.000,2.035,3.165,0\n",
         lineError(rowLine, texts::kReadingsLogOutOfRange, "seconds", "1e308")},
        {"a reading while the link is lost",
         kHead + "# link lost at 1.000 s\n1.500,1,0,0,0,0,0\n# link back at 2.000 s\n",
         lineError(rowLine + 1, texts::kReadingsLogReadingWhileLost)},
        {"readings after a lost link that never came back",
         kHead + row + "# link lost at 1.000 s\n1.500,2,0,0,0,0,0\n",
         lineError(rowLine + 2, texts::kReadingsLogReadingWhileLost)},
        {"the header alone", kHead, toUtf8(texts::kReplayNoReadings)},
        {"a row axis without its column axis", kTitle + kRowAxis + columns + "\n" + row,
         lineError(kHeadLines + 1, texts::kReadingsLogMissingHeaderLine, "column axis")},
        {"a column axis of 14 break points",
         kTitle + "# column axis,1,2,3,4,5,6,7,8,9,10,11,12,13,14\n",
         lineError(kHeadLines, texts::kReadingsLogFieldCount, "14", "15")},
        {"a row break point the wire cannot carry",
         kTitle + "# row axis,0.961" + kRowAxis.substr(kRowAxis.find(',', 12)),
         lineError(kHeadLines, texts::kReadingsLogOutOfRange, "row axis", "0.961")},
        {"the row axis twice", kTitle + kRowAxis + kRowAxis,
         lineError(kHeadLines + 1, texts::kReadingsLogRepeatedHeaderLine)},
        {"markers but no reading", kHead + "# marker 1 at 1.000 s\n",
         toUtf8(texts::kReplayNoReadings)},
        {"zero bytes inside the log", kHead + row + std::string(3, '\0') + row,
         lineError(rowLine + 1, texts::kReadingsLogNotNumber, "seconds",
                   std::string(3, '?') + "0.050")},
    };
    for (const auto& c : cases) {
        const ReadingsLogRead read = parseReadingsLog(c.text);
        EXPECT_FALSE(read.ok()) << c.what;
        EXPECT_EQ(read.error, c.error) << c.what;
    }
}

TEST(ReadingsLog, QuotesAGarbageValueShortAndPrintable) {
    const std::string garbage = "\x1b[2J" + std::string(100000, 'x');
    const ReadingsLogRead read = parseReadingsLog(kHead + garbage + ",1,0,0,0,0,0\n");
    ASSERT_FALSE(read.ok());
    EXPECT_LT(read.error.size(), 200u) << read.error;
    EXPECT_EQ(read.error.find('\x1b'), std::string::npos) << read.error;
}

TEST(ReadingsLog, ReadsOnlyRegularFilesUpToTheLimit) {
    test::TempFolder folder;
    const auto path = [&](const char* name) { return (folder.path() / name).string(); };
    const std::string log = kHead + "0.050,1,2210,2.000,2.035,3.165,0\n";
    std::ofstream(path("log.csv")) << log;
    // Sparse files: the size is all that is looked at, so these cost no disk and no time.
    const auto sparse = [&](const char* name, off_t size) {
        std::ofstream(path(name)) << log;
        ASSERT_EQ(::truncate(path(name).c_str(), size), 0) << name;
    };
    sparse("five-gigabytes.csv", off_t{5} << 30);
    sparse("over-the-limit.csv", static_cast<off_t>(kReadingsLogMaxBytes) + 1);
    // At the limit it is read; the zero bytes after the log are a recording cut short.
    sparse("at-the-limit.csv", static_cast<off_t>(kReadingsLogMaxBytes));
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);

    for (const char* name : {"log.csv", "at-the-limit.csv"}) {
        const ReadingsLogRead read = readReadingsLog(path(name));
        ASSERT_TRUE(read.ok()) << name << ": " << read.error;
        EXPECT_EQ(read.log->readings.size(), 1u) << name;
    }
    ::symlink("loop-b", path("loop-a").c_str());
    ::symlink("loop-a", path("loop-b").c_str());
    // Each fault names the file, and the system's reason when there is one.
    const auto cannotOpen = [](const char* reason) {
        return toUtf8(fillIn(texts::kReadingsLogCannotOpen, {toU16(reason)}));
    };
    const struct {
        std::string path;
        std::string error;
    } refused[] = {{path("five-gigabytes.csv"), toUtf8(texts::kReadingsLogTooLarge)},
                   {path("over-the-limit.csv"), toUtf8(texts::kReadingsLogTooLarge)},
                   {path("fifo"), toUtf8(texts::kReadingsLogNotRegular)},
                   {"/dev/zero", toUtf8(texts::kReadingsLogNotRegular)},
                   {folder.path().string(), toUtf8(texts::kReadingsLogNotRegular)},
                   {path("missing.csv"), cannotOpen("No such file or directory")},
                   {path("loop-a"), cannotOpen("Too many levels of symbolic links")}};
    for (const auto& r : refused) {
        const ReadingsLogRead read = readReadingsLog(r.path);
        EXPECT_FALSE(read.ok()) << r.path;
        EXPECT_EQ(read.error, r.path + ": " + r.error) << r.path;
    }
}

} // namespace
} // namespace krv
