// krv-cli read-map, write-map and clear-map against the simulated controller: the map file
// round trip changes nothing, a file's values land exactly, a dry run and a bad file send no
// write, and nothing is overwritten without a backup of what was there.

#include "device/map_file/map_file.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "tests/cli/cli_map_fixture.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace krv::test {
namespace {

using protocol::kAxesFrame;
using protocol::kMapFrame;
using protocol::kSettingsFrame;

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

// A name that stands for a link is written through it; one that stands for a device or a FIFO
// is refused, and stays what it was rather than becoming a regular file.
TEST_F(CliMap, ReadMapWritesThroughALinkAndNeverReplacesAFifo) {
    namespace fs = std::filesystem;
    fs::create_directory(directory_ + "/maps");
    const std::string target = file("maps/car.csv", "old");
    fs::create_symlink("maps/car.csv", directory_ + "/link.csv");
    const CliRun linked = cli({"read-map", directory_ + "/link.csv"});
    EXPECT_EQ(linked.code, cli::kExitDone) << linked.err;
    EXPECT_TRUE(fs::is_symlink(directory_ + "/link.csv"));
    const MapFileRead read = readMapFile(target);
    ASSERT_TRUE(read.ok()) << toUtf8(read.error);
    EXPECT_EQ(read.content->snapshot, held());

    const std::string fifo = directory_ + "/fifo.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const CliRun refused = cli({"read-map", fifo});
    EXPECT_EQ(refused.code, cli::kExitFailed);
    EXPECT_EQ(refused.err.find("Nie można zapisać pliku " + fifo + ": "), 0U) << refused.err;
    EXPECT_EQ(fs::symlink_status(fifo).type(), fs::file_type::fifo);
}

TEST_F(CliMap, WriteMapLeavesExactlyTheFilesValuesAndBacksUpWhatWasThere) {
    const MapSnapshot before = held();
    const MapSnapshot other = varied(14);
    const std::string path = file("other.csv", formatMapFile(other, simulatorsFile()));
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
    const std::string path = file("target.csv", formatMapFile(target, simulatorsFile()));
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
    const std::string good = formatMapFile(varied(9), simulatorsFile());
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
        {"a file cut inside its last value", good.substr(0, good.size() - 2),
         "Plik mapy, wiersz 25: plik jest urwany"},
        {"an rpm divider the window refuses",
         good.substr(0, good.find("rpm divider,")) + "rpm divider,0" +
             good.substr(good.find('\n', good.find("rpm divider,"))),
         "Plik mapy, wiersz 4: ustawienie poza zakresem"},
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

// A map made for another controller or firmware can mean other units in every cell: it is
// written only when the user says so, and the run says what was written where either way.
TEST_F(CliMap, AFileOfAnotherControllerOrFirmwareNeedsForce) {
    const MapSnapshot before = held();
    const MapSnapshot other = varied(14);
    const MapFileInfo own = simulatorsFile();
    const std::string expected = "Plik zapisano ze sterownika typu 18 z firmware w wersji " +
                                 std::to_string(own.firmwareVersion) +
                                 ", a podłączony jest sterownik typu " +
                                 std::to_string(own.deviceType) + " z firmware w wersji " +
                                 std::to_string(own.firmwareVersion) + ".";
    const MapFileInfo otherVersion{own.deviceType, uint16_t(own.firmwareVersion + 1), "then"};
    const std::string foreign =
        file("foreign.csv", formatMapFile(other, {18, own.firmwareVersion, "then"}));
    const std::string older = file("older.csv", formatMapFile(other, otherVersion));
    for (const std::string& path : {foreign, older}) {
        for (const bool dryRun : {false, true}) {
            const CliRun run = cli(dryRun ? std::vector<std::string>{"write-map", "--dry-run", path}
                                          : std::vector<std::string>{"write-map", path});
            EXPECT_EQ(run.code, cli::kExitUsage) << path << " dry run " << dryRun;
            EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
        }
    }
    EXPECT_NE(cli({"write-map", foreign}).err.find(expected), std::string::npos);
    EXPECT_EQ(held(), before);
    EXPECT_EQ(writes(), 0U);
    EXPECT_TRUE(backups().empty());

    const CliRun forced = cli({"write-map", "--force", foreign});
    EXPECT_EQ(forced.code, cli::kExitDone) << forced.err;
    EXPECT_NE(forced.err.find(expected), std::string::npos) << forced.err;
    EXPECT_EQ(held(), other);
    EXPECT_EQ(backups().size(), 1U);
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

struct StopStep {
    const char* what;
    int signal;
    std::function<bool(const sim::Frame&)> at;
    int occurrence;
    bool written; // false: the stop came before the first write
};

// Ctrl+C or SIGTERM at any step of write-map leaves the controller with the old state or the
// file's whole, never new axes with the old map; the command says which and stops.
TEST_F(CliMap, AStopAtAnyStepOfWriteMapLeavesTheControllerWhole) {
    const auto frame = [](uint8_t type) {
        return [type](const sim::Frame& request) { return request.type == type; };
    };
    const auto operation = [](uint8_t code) {
        return [code](const sim::Frame& request) { return isOperation(request, code); };
    };
    const StopStep steps[] = {
        // The first reads are the search's, the second the command's own.
        {"while the controller is read", SIGINT, operation(protocol::kReadMapAxes), 2, false},
        {"at the axes", SIGINT, frame(kAxesFrame), 1, true},
        {"at the settings", SIGTERM, frame(kSettingsFrame), 1, true},
        {"at the map", SIGINT, frame(kMapFrame), 1, true},
        {"at the store", SIGINT, operation(protocol::kStoreMap), 1, true},
        {"while the write is checked", SIGINT, operation(protocol::kReadSettings), 3, true},
    };
    const MapSnapshot before = varied(3);
    const MapSnapshot target = varied(14);
    const std::string path = file("other.csv", formatMapFile(target, simulatorsFile()));
    for (const StopStep& step : steps) {
        put(before);
        controller().clearRequests();
        const uint64_t stores = controller().state().counters.mapStores;
        signalAt(step.signal, step.at, step.occurrence);
        const CliRun run = cli({"write-map", path});
        EXPECT_EQ(run.code, cli::kExitStoppedBase + step.signal) << step.what << ": " << run.err;
        if (step.written) {
            EXPECT_EQ(held(), target) << step.what;
            EXPECT_EQ(controller().state().counters.mapStores, stores + 1) << step.what;
            EXPECT_NE(run.err.find(toUtf8(texts::kCliStoppedAfterWrite)), std::string::npos)
                << step.what << ": " << run.err;
            EXPECT_NE(run.err.find("Sterownik ma teraz mapę, osie i ustawienia z pliku " + path),
                      std::string::npos)
                << step.what << ": " << run.err;
        } else {
            EXPECT_EQ(held(), before) << step.what;
            EXPECT_EQ(writes(), 0U) << step.what;
            EXPECT_EQ(run.err, toUtf8(texts::kCliStoppedNothingWritten) + "\n") << step.what;
        }
    }
    EXPECT_EQ(unheldSignals(), 0);
}

TEST_F(CliMap, ClearMapAndSetFinishTheirWriteBeforeAStop) {
    const struct {
        std::vector<std::string> args;
        std::function<bool(const sim::Frame&)> at;
        std::function<void(const MapSnapshot&)> expectHeld;
        std::string holds;
    } cases[] = {
        {{"clear-map"},
         [](const sim::Frame& request) { return isOperation(request, protocol::kClearMapTime); },
         [](const MapSnapshot& held) { EXPECT_EQ(held.cells, (std::array<uint8_t, 240>{})); },
         "Sterownik ma teraz skasowaną mapę."},
        {{"set", "noise-delta=7"},
         [](const sim::Frame& request) { return request.type == kSettingsFrame; },
         [](const MapSnapshot& held) { EXPECT_EQ(held.noiseDelta, 7); },
         "Sterownik ma teraz ustawienia: rpm-divider=197 noise-delta=7 noise-period=49997."},
        {{"edit", "--block", "1:1-2:2", "--set", "0.5"},
         [](const sim::Frame& request) { return request.type == kMapFrame; },
         [](const MapSnapshot& held) {
             EXPECT_NEAR(units::mapCellVolts(held.cells[16]), 0.5, 0.01);
         },
         "Sterownik ma teraz mapę ze zmienionym blokiem 1:1-2:2."},
    };
    for (const auto& c : cases) {
        put(varied(3));
        signalAt(SIGINT, c.at);
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.code, cli::kExitStoppedBase + SIGINT) << c.args[0] << ": " << run.err;
        c.expectHeld(held());
        EXPECT_NE(run.err.find(c.holds), std::string::npos) << run.err;
    }
    EXPECT_EQ(controller().state().counters.mapStores, 2U);
    EXPECT_EQ(unheldSignals(), 0);
}

// Nothing is overwritten without a backup: a file standing where the backups folder belongs
// stops the command before it writes.
TEST_F(CliMap, ABackupThatCannotBeWrittenStopsTheCommand) {
    std::filesystem::create_directories(directory_ + "/data/Morvelcast");
    std::ofstream(backupsFolder()) << "in the way";
    const MapSnapshot before = held();
    const std::string other = file("other.csv", formatMapFile(varied(10), simulatorsFile()));
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
