// The readings log format shared by krv-cli log and the chart's files: every value as the
// window shows it, to the wire's own step, and a header a spreadsheet reads.

#include "device/readings_csv.h"
#include "tests/device/readings_record.h"

#include <gtest/gtest.h>
#include <regex>

namespace krv {
namespace {

struct RowCase {
    const char* what;
    CDiag sample;
    double seconds;
    uint64_t number;
    const char* expected;
};

TEST(ReadingsCsv, RowsCarryTheFieldsValuesToTheWireStep) {
    const RowCase cases[] = {
        {"the demo record", test::readingsRecord(3400, 211, 400, 407, 2), 0.05, 1,
         "0.050,1,2210,2.000,2.035,3.165,0\n"},
        {"working, odd millivolt steps", test::readingsRecord(1530, 3, 1, 999, 3), 12.3456, 77,
         "12.346,77,4900,0.005,4.995,0.045,1\n"},
        {"no ignition pulses and a negative pump value", test::readingsRecord(0xFFFF, -7, 0, 0, 2),
         3600.0, 4294967296ULL, "3600.000,4294967296,0,0.000,0.000,-0.105,0\n"},
        {"the largest input and output words", test::readingsRecord(0, 32767, 65535, 65535, 0), 0.0,
         0, "0.000,0,0,327.675,327.675,491.505,0\n"},
    };
    for (const RowCase& row : cases) {
        EXPECT_EQ(readings_csv::row(row.seconds, row.number, row.sample), row.expected) << row.what;
    }
}

TEST(ReadingsCsv, HeaderAndCommentLines) {
    const std::string header = readings_csv::header(std::chrono::system_clock::now(), 258);
    EXPECT_TRUE(std::regex_search(
        header, std::regex("^# krv readings\n# started,\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d"
                           "[+-]\\d\\d:\\d\\d\n# firmware version,258\n"
                           "seconds,sample,rpm,input V,output V,pump PWM V,work state\n$")))
        << header;
    EXPECT_EQ(readings_csv::linkLostComment(1.5), "# link lost at 1.500 s\n");
    EXPECT_EQ(readings_csv::linkBackComment(4), "# link back at 4.000 s\n");
    EXPECT_EQ(readings_csv::markerComment(3, 12.3456), "# marker 3 at 12.346 s\n");
    EXPECT_EQ(readings_csv::markerComment(1000, 7200), "# marker 1000 at 7200.000 s\n");
}

} // namespace
} // namespace krv
