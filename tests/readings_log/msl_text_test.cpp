// The MSL text for other log viewers, read back as a viewer reads it: the header lines, the
// channels and units, every reading's values and each marker at its place in time.

#include "readings_log/msl_text.h"
#include "tests/readings_log/msl_parse.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

ReadingsLog sampleLog() {
    ReadingsLog log;
    log.started = "2026-12-10T17:05:09+01:00";
    log.firmwareVersion = 258;
    log.readings = {{0.05, 1, 2210, 2.0, 2.035, 3.165, false},
                    {0.1, 2, 4900, 0.005, 327.675, -0.105, true},
                    {0.1, 3, 0, 4.995, 0.0, 0.045, true},
                    {7.25, 4, 750, 1.0, 1.5, 0.0, false}};
    // Before the first reading, at the moment of two readings, between two, after the last.
    log.markers = {{1, 0.0}, {2, 0.1}, {3, 3.0}, {4, 9.5}};
    log.gaps = {{0.2, 7.2}};
    return log;
}

TEST(MslText, ParsesBackWithEveryReadingAndMarkerInPlace) {
    const ReadingsLog log = sampleLog();
    const test::MslFile msl = test::parseMsl(formatMsl(log));
    ASSERT_EQ(msl.fault, "");
    EXPECT_NE(msl.title.find("krv"), std::string::npos) << msl.title;
    EXPECT_NE(msl.title.find("258"), std::string::npos) << msl.title;
    EXPECT_EQ(msl.captureDate, log.started);
    EXPECT_EQ(msl.names,
              (std::vector<std::string>{"Time", "RPM", "Input", "Output", "Pump PWM", "Working"}));
    EXPECT_EQ(msl.units, (std::vector<std::string>{"s", "rpm", "V", "V", "V", ""}));

    // R: the reading of that index; M: the marker of that number.
    const std::vector<std::string> order{"M1", "R0", "R1", "R2", "M2", "M3", "R3", "M4"};
    ASSERT_EQ(msl.lines.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const test::MslLine& line = msl.lines[i];
        const int index = order[i][1] - '0';
        if (order[i][0] == 'M') {
            EXPECT_EQ(line.mark, index) << "line " << i;
            continue;
        }
        ASSERT_FALSE(line.mark.has_value()) << "line " << i;
        const LogReading& reading = log.readings[index];
        const std::vector<double> expected{reading.seconds, double(reading.rpm),
                                           reading.input,   reading.output,
                                           reading.pump,    reading.working ? 1.0 : 0.0};
        EXPECT_EQ(line.values, expected) << "line " << i;
    }
}

TEST(MslText, MarkLinesAreNumberedInThreeDigitsAtLeast) {
    ReadingsLog log;
    log.markers = {{7, 1.0}, {1234, 2.0}};
    const std::string text = formatMsl(log);
    EXPECT_NE(text.find("\nMARK 007\nMARK 1234\n"), std::string::npos) << text;
}

// The start time is copied from the log's header as written; it must not break the quoted line.
TEST(MslText, AStartTimeWithQuotesOrLineBreaksStaysOneQuotedLine) {
    ReadingsLog log = sampleLog();
    log.started = "10 \"December\"\r\n2026";
    const test::MslFile msl = test::parseMsl(formatMsl(log));
    ASSERT_EQ(msl.fault, "");
    EXPECT_EQ(msl.captureDate, "10 'December'  2026");
    EXPECT_EQ(msl.lines.size(), log.readings.size() + log.markers.size());
}

// However absurd a value (the reader takes any finite number), its line is whole.
TEST(MslText, HugeValuesAreWrittenWhole) {
    ReadingsLog log;
    log.readings = {{1e300, 1, 2147483647, -1.7e308, 1.7e308, 0.0005, true}};
    const test::MslFile msl = test::parseMsl(formatMsl(log));
    ASSERT_EQ(msl.fault, "");
    ASSERT_EQ(msl.lines.size(), 1u);
    EXPECT_EQ(msl.lines[0].values[0], 1e300);
    EXPECT_EQ(msl.lines[0].values[1], 2147483647.0);
    EXPECT_EQ(msl.lines[0].values[2], -1.7e308);
    EXPECT_EQ(msl.lines[0].values[3], 1.7e308);
}

} // namespace
} // namespace krv
