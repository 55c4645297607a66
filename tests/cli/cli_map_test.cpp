// krv-cli read-map, write-map and clear-map against the simulated controller: the map file
// round trip changes nothing, a file's values land exactly, a dry run and a bad file send no
// write, and nothing is overwritten without a backup of what was there.

#include "device/map_file/map_file.h"
#include "platform/text.h"
#include "tests/cli/cli_map_fixture.h"

#include <filesystem>
#include <fstream>

namespace krv::test {
namespace {

TEST_F(CliMap, ReadThenWriteOfTheSameFileChangesNothing) {
    const MapSnapshot before = held();
    const std::string path = directory_ + "/car.csv";
    ASSERT_EQ(cli({"read-map", path}).code, cli::kExitDone);
    const MapFileRead read = readMapFile(path);
    ASSERT_TRUE(read.ok()) << toUtf8(read.error);
    EXPECT_EQ(read.content->snapshot, before);

    const CliRun run = cli({"write-map", path});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(held(), before);
    EXPECT_EQ(backups().size(), 1U);
}

TEST_F(CliMap, ReadMapToStandardOutputIsTheMapFile) {
    const CliRun run = cli({"read-map", "-"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    const MapFileRead read = parseMapFile(run.out);
    ASSERT_TRUE(read.ok()) << toUtf8(read.error);
    EXPECT_EQ(read.content->snapshot, held());
}

TEST_F(CliMap, WriteMapLeavesExactlyTheFilesValuesAndBacksUpWhatWasThere) {
    const MapSnapshot before = held();
    const MapSnapshot other = varied(200);
    const std::string path = file("other.csv", formatMapFile(other, {}));
    const CliRun run = cli({"write-map", path});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(held(), other);
    EXPECT_EQ(controller().state().counters.mapStores, 1U);

    const auto saved = backups();
    ASSERT_EQ(saved.size(), 1U);
    EXPECT_NE(saved[0].filename().string().find("write-map"), std::string::npos);
    const MapFileRead backup = readMapFile(saved[0].string());
    ASSERT_TRUE(backup.ok());
    EXPECT_EQ(backup.content->snapshot, before);
}

TEST_F(CliMap, DryRunPrintsTheChangesAndSendsNoWrite) {
    MapSnapshot target = held();
    target.cells[0] = static_cast<uint8_t>(target.cells[0] + 1);
    target.cells[16 * 15 - 1] = 0;
    target.columns[14] = static_cast<uint8_t>(target.columns[14] + 2);
    target.noiseDelta = 7;
    const std::string path = file("target.csv", formatMapFile(target, {}));
    const MapSnapshot before = held();
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "cell 1,1: %.2f -> %.2f V\ncell 16,15: %.2f -> 0.00 V\ncolumn 15: %d -> %d rpm\n"
                  "noise-delta: %d -> 7\n",
                  before.cells[0] * 0.02, target.cells[0] * 0.02, before.cells[239] * 0.02,
                  before.columns[14] * 100, target.columns[14] * 100, before.noiseDelta);

    const CliRun run = cli({"write-map", "--dry-run", path});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(writes(), 0U);
    EXPECT_EQ(held(), before);
    EXPECT_TRUE(backups().empty());
}

struct BadFileCase {
    const char* what;
    std::string text;
    std::string said;
};

TEST_F(CliMap, MalformedFilesAreRefusedNamingTheLineAndNothingIsSent) {
    const std::string good = formatMapFile(varied(9), {});
    std::string commaDecimal = good;
    commaDecimal.replace(commaDecimal.rfind(','), 1, ";");
    std::string notNumber = good;
    notNumber.replace(notNumber.rfind(',') + 1, 1, "x");
    const BadFileCase cases[] = {
        {"an empty file", "", "Plik mapy"},
        {"a header only", "format,krv-map 1\n", "Plik mapy, wiersz 2"},
        {"a row short", good.substr(0, good.rfind('\n', good.size() - 2) + 1), "Plik mapy"},
        {"a value that is not a number", notNumber, "wartość nie jest liczbą"},
        {"a column missing", commaDecimal, "Plik mapy, wiersz 25"},
    };
    for (const BadFileCase& bad : cases) {
        const CliRun run = cli({"write-map", file("bad.csv", bad.text)});
        EXPECT_EQ(run.code, cli::kExitFailed) << bad.what;
        EXPECT_NE(run.err.find(bad.said), std::string::npos) << bad.what << ": " << run.err;
    }
    const CliRun missing = cli({"write-map", directory_ + "/none.csv"});
    EXPECT_EQ(missing.code, cli::kExitFailed);
    EXPECT_EQ(controller().requests().size(), 0U) << "not even the controller was looked for";
}

TEST_F(CliMap, ClearMapBacksUpTheMapFirst) {
    const MapSnapshot before = held();
    const CliRun run = cli({"clear-map"});
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(controller().state().map, (std::array<uint8_t, 240>{}));
    const auto saved = backups();
    ASSERT_EQ(saved.size(), 1U);
    EXPECT_NE(saved[0].filename().string().find("clear"), std::string::npos);
    const MapFileRead backup = readMapFile(saved[0].string());
    ASSERT_TRUE(backup.ok());
    EXPECT_EQ(backup.content->snapshot, before);
}

// Nothing is overwritten without a backup: a file standing where the backups folder belongs
// stops the command before it writes.
TEST_F(CliMap, ABackupThatCannotBeWrittenStopsTheCommand) {
    std::filesystem::create_directories(directory_ + "/data/Morvelcast");
    std::ofstream(backupsFolder()) << "in the way";
    const MapSnapshot before = held();
    const std::string other = file("other.csv", formatMapFile(varied(100), {}));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"clear-map"}, {"write-map", other}, {"edit", "--block", "1:1", "--set", "0.5"}}) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, cli::kExitFailed) << args[0];
        EXPECT_NE(run.err.find("kopii zapasowej"), std::string::npos) << run.err;
    }
    EXPECT_EQ(held(), before);
    EXPECT_EQ(writes(), 0U);
}

} // namespace
} // namespace krv::test
