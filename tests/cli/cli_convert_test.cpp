// krv-cli convert: a readings log as MSL text that reads back whole, without a controller being
// looked for; a log that does not read, or an output that cannot be written, fails naming why,
// and the log itself is never overwritten.

#include "device/readings_csv.h"
#include "tests/cli/cli_fixture.h"
#include "tests/device/readings_record.h"
#include "tests/readings_log/msl_parse.h"
#include "tests/support/file_contents.h"

#include <filesystem>
#include <fstream>

namespace krv::test {
namespace {

std::string recordedLog() {
    std::string text = readings_csv::header(std::chrono::system_clock::now(), 256);
    text += readings_csv::row(0.05, 1, readingsRecord(3400, 211, 400, 407, 3));
    text += readings_csv::markerComment(1, 0.07);
    text += readings_csv::row(0.1, 2, readingsRecord(3400, 211, 420, 430, 3));
    text += readings_csv::linkLostComment(0.5);
    text += readings_csv::linkBackComment(2.0);
    text += readings_csv::row(2.0, 3, readingsRecord(1530, 300, 800, 900, 3));
    return text;
}

class CliConvert : public CliTest {
protected:
    std::string path(const char* name) const { return directory_ + "/" + name; }
    void write(const char* name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
};

TEST_F(CliConvert, WritesTheLogAsMslWithoutLookingForAController) {
    write("drive.csv", recordedLog());
    const CliRun run = cli({"convert", path("drive.csv"), path("drive.msl")});
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(run.err, "");
    const MslFile msl = parseMsl(fileContents(path("drive.msl")));
    ASSERT_EQ(msl.fault, "");
    EXPECT_EQ(msl.names.front(), "Time");
    ASSERT_EQ(msl.lines.size(), 4U);
    EXPECT_EQ(msl.lines[1].mark, 1);
    EXPECT_EQ(msl.lines[3].values, (std::vector<double>{2.0, 4900, 4.0, 4.5, 4.5, 1}));
    EXPECT_EQ(controller().requests().size(), 0U);

    // "-" is stdout, with the same text.
    const CliRun toStdout = cli({"convert", path("drive.csv"), "-"});
    ASSERT_EQ(toStdout.code, cli::kExitDone) << toStdout.err;
    EXPECT_EQ(toStdout.out, fileContents(path("drive.msl")));
}

TEST_F(CliConvert, FailsNamingWhyAndLeavesTheFilesAlone) {
    const std::string good = recordedLog();
    write("drive.csv", good);
    write("cut.csv", good + "2.100,4,2210,2.000,2.035,3.165,1,7\n");
    write("empty.csv", good.substr(0, good.find('\n', good.find("seconds,")) + 1));
    const struct {
        const char* what;
        std::vector<std::string> args;
        int code;
        std::string error;
    } cases[] = {
        {"a bad row",
         {"convert", path("cut.csv"), path("out.msl")},
         cli::kExitFailed,
         path("cut.csv") + ": Zapis odczytów, wiersz 11: wiersz ma 8 pól zamiast 7\n"},
        {"no log",
         {"convert", path("none.csv"), path("out.msl")},
         cli::kExitFailed,
         path("none.csv") + ": Nie można otworzyć zapisu odczytów: No such file or directory\n"},
        {"a log of the header alone",
         {"convert", path("empty.csv"), path("out.msl")},
         cli::kExitFailed,
         path("empty.csv") + ": Zapis nie zawiera odczytów.\n"},
        {"the log as its own output",
         {"convert", path("drive.csv"), directory_ + "/./drive.csv"},
         cli::kExitFailed,
         "Plik " + directory_ +
             "/./drive.csv to zapis odczytów, z którego polecenie czyta; nie zostanie nadpisany\n"},
        {"a file where the output's folder should be",
         {"convert", path("drive.csv"), path("drive.csv/out.msl")},
         cli::kExitFailed,
         "Nie można zapisać pliku " + path("drive.csv/out.msl") + ": Not a directory\n"},
        {"a mistyped folder",
         {"convert", path("drive.csv"), path("typo/out.msl")},
         cli::kExitFailed,
         "Nie można zapisać pliku " + path("typo/out.msl") + ": No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.code, c.code) << c.what;
        EXPECT_EQ(run.err, c.error) << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(path("out.msl")));
    EXPECT_FALSE(std::filesystem::exists(path("typo")));
    EXPECT_EQ(fileContents(path("drive.csv")), good);
    EXPECT_EQ(cli({"convert", path("drive.csv")}).code, cli::kExitUsage);
}

} // namespace
} // namespace krv::test
