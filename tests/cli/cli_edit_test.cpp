// krv-cli edit against the simulated controller: the controller ends up holding exactly the
// block operation's result and nothing else changes, behind a backup; cells cut to the
// controller's range are named; a dry run writes nothing. A request that is not one block and
// one operation is among the usage faults of cli_commands_test.

#include "device/map_file/map_file.h"
#include "map_blocks/block_operations.h"
#include "platform/text.h"
#include "tests/cli/cli_map_fixture.h"

#include <cstdio>
#include <functional>

namespace krv::test {
namespace {

using CliEdit = CliMap;

// The block "2:3-6:9" names.
constexpr Block kBlock{1, 2, 5, 8};

MapSnapshot withCells(MapSnapshot snapshot, const MapCells& cells) {
    snapshot.cells = cells;
    return snapshot;
}

TEST_F(CliEdit, TheControllerHoldsTheBlockOperationsResultBehindABackup) {
    const struct {
        std::vector<std::string> operation;
        std::function<BlockResult(const MapCells&)> expected;
    } cases[] = {
        {{"--set", "2.5"}, [](const MapCells& c) { return setTo(c, kBlock, 2.5); }},
        {{"--add", "-0.1"}, [](const MapCells& c) { return add(c, kBlock, -0.1); }},
        {{"--add=0,2"}, [](const MapCells& c) { return add(c, kBlock, 0.2); }},
        {{"--scale", "110"}, [](const MapCells& c) { return scale(c, kBlock, 110); }},
        {{"--interpolate"},
         [](const MapCells& c) { return interpolate(c, kBlock, Interpolation::bilinear); }},
        {{"--interpolate=rows"},
         [](const MapCells& c) { return interpolate(c, kBlock, Interpolation::rows); }},
        {{"--interpolate=columns"},
         [](const MapCells& c) { return interpolate(c, kBlock, Interpolation::columns); }},
        {{"--smooth"}, [](const MapCells& c) { return smooth(c, kBlock); }},
    };
    int seed = 3;
    for (const auto& c : cases) {
        const MapSnapshot before = varied((seed += 4) % 15);
        put(before);
        const MapSnapshot expected = withCells(before, c.expected(before.cells).cells);
        ASSERT_NE(expected, before) << c.operation[0] << " changes nothing: a weak case";
        const size_t stores = controller().state().counters.mapStores;

        std::vector<std::string> args = {"edit", "--block", "2:3-6:9"};
        args.insert(args.end(), c.operation.begin(), c.operation.end());
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, cli::kExitDone) << c.operation[0] << ": " << run.err;
        EXPECT_EQ(held(), expected) << c.operation[0];
        EXPECT_EQ(controller().state().counters.mapStores, stores + 1) << c.operation[0];

        const auto saved = backupFiles(backupsFolder(), "_edit.csv");
        ASSERT_FALSE(saved.empty()) << c.operation[0];
        const MapFileRead backup = readMapFile(saved.back());
        ASSERT_TRUE(backup.ok()) << toUtf8(backup.error);
        EXPECT_EQ(backup.content->snapshot, before) << c.operation[0];
    }
    EXPECT_EQ(backupFiles(backupsFolder(), "_edit.csv").size(), std::size(cases));
    EXPECT_EQ(requestsOfType(protocol::kAxesFrame), 0U) << "only the cells are written";
    EXPECT_EQ(requestsOfType(protocol::kSettingsFrame), 0U) << "only the cells are written";
}

TEST_F(CliEdit, CellsCutToTheControllersRangeAreNamed) {
    const MapSnapshot before = held();
    const BlockResult expected = add(before.cells, wholeMap(), 0.5);
    ASSERT_GT(expected.saturated.size(), 1U);
    const CliRun run = cli({"edit", "--block", "1:1-16:15", "--add", "0.5"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(held(), withCells(before, expected.cells));
    EXPECT_EQ(run.err,
              "Komórki obcięte do zakresu sterownika: " + cellNames(expected.saturated) + "\n");
}

TEST_F(CliEdit, DryRunPrintsTheChangesAndWritesNothing) {
    const MapSnapshot before = held();
    std::string expected;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const int value = before.cells[static_cast<size_t>(row * 15 + column)];
            if (value != 50) {
                char line[64];
                std::snprintf(line, sizeof line, "cell %d,%d: %.2f -> 1.00 V\n", row + 1,
                              column + 1, value * 0.02);
                expected += line;
            }
        }
    }
    ASSERT_FALSE(expected.empty());
    const CliRun run = cli({"edit", "--dry-run", "--block", "2:2-1:1", "--set", "1"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(writes(), 0U);
    EXPECT_EQ(held(), before);
    EXPECT_TRUE(backups().empty());
}

TEST_F(CliEdit, AnEditThatChangesNothingWritesNothing) {
    const MapSnapshot before = held();
    const CliRun run = cli({"edit", "--block", "1:1-16:15", "--scale", "100"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(writes(), 0U);
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(held(), before);
}

TEST_F(CliEdit, HelpListsTheBlockAndEveryOperation) {
    const std::string help = cli({"edit", "--help"}).out;
    for (const char* option : {"--block R1:C1-R2:C2", "--set V", "--add V", "--scale PCT",
                               "--interpolate[=bilinear|rows|columns]", "--smooth", "--dry-run"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option << " missing from:\n" << help;
    }
    EXPECT_EQ(help.find("--seconds"), std::string::npos);
}

} // namespace
} // namespace krv::test
