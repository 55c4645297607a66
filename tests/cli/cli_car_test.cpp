// krv-cli car and --car against the simulated controller and a real register file: the car is
// told from its controller's state, what a command reads, writes or learns lands under the
// car, and a write to a controller holding another car's map is refused without --yes.

#include "cli/cli_text.h"
#include "device/map_file/map_file.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "register/car_register.h"
#include "register/register_texts.h"
#include "tests/cli/cli_map_fixture.h"
#include "tests/support/file_contents.h"
#include "tests/support/polled_drive.h"

#include <fstream>

namespace krv::test {
namespace {

using cli::say;
using reg::Cause;

class CliCar : public CliMap {
protected:
    std::string registerPath() const { return directory_ + "/data/Morvelcast/register.sqlite"; }
    reg::CarRegister cars() { return reg::CarRegister(registerPath()); }
    int64_t carId(const std::string& plate) { return cars().carByPlate(plate).value().id; }
    void addCars() {
        ASSERT_EQ(cli({"car", "add", "WX 12345", "--make", "Skoda", "--model", "Octavia", "--year",
                       "2009", "--customer", "Jan Kowalski"})
                      .code,
                  cli::kExitDone);
        ASSERT_EQ(cli({"car", "add", "KR 5678", "--make", "Fiat"}).code, cli::kExitDone);
    }
    // The controller's state, as the given car's version.
    void recordHeldUnder(const std::string& plate) {
        reg::CarRegister reg = cars();
        reg.recordState(reg.carByPlate(plate)->id,
                        {kServedDeviceType, sim::ControllerKnobs().version, held()},
                        Cause::Connected);
    }
    std::vector<Cause> causesOf(const std::string& plate) {
        std::vector<Cause> causes;
        for (const reg::TimelineEntry& entry : cars().timeline(carId(plate))) {
            if (entry.kind == reg::TimelineEntry::Kind::Seen) {
                causes.push_back(entry.cause);
            }
        }
        return causes;
    }
};

TEST_F(CliCar, CarsAreAddedSearchedAndShownWithTheirTimeline) {
    addCars();
    // The same plate written otherwise is the same car.
    const CliRun twice = cli({"car", "add", "wx-12345"});
    EXPECT_EQ(twice.code, cli::kExitFailed);
    EXPECT_NE(twice.err.find("wx-12345"), std::string::npos) << twice.err;
    EXPECT_EQ(cli({"car", "add", "PO 1", "--year", "dawno"}).code, cli::kExitUsage);

    const struct {
        std::vector<std::string> args;
        std::string out;
    } lists[] = {
        {{"car", "list", "kowal"}, "WX 12345  Skoda Octavia 2009  Jan Kowalski\n"},
        {{"car", "list", "fiat"}, "KR 5678  Fiat\n"},
        {{"car", "list", "opel"}, ""},
    };
    for (const auto& list : lists) {
        const CliRun run = cli(list.args);
        EXPECT_EQ(run.code, cli::kExitDone) << run.err;
        EXPECT_EQ(run.out, list.out);
    }

    ASSERT_EQ(cli({"read-map", directory_ + "/held.csv", "--car", "wx12345"}).code, cli::kExitDone);
    const CliRun show = cli({"car", "show", "WX 12345"});
    EXPECT_EQ(show.code, cli::kExitDone) << show.err;
    EXPECT_NE(show.out.find("Marka: Skoda\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Klient: Jan Kowalski\n"), std::string::npos);
    EXPECT_NE(show.out.find(": połączenie\n"), std::string::npos) << show.out;
    EXPECT_EQ(cli({"car", "show", "GD 1"}).code, cli::kExitFailed);
    // An unknown car stops a command before the controller is asked anything.
    const uint64_t requests = controller().state().counters.requests;
    const CliRun unknown = cli({"read-map", directory_ + "/x.csv", "--car", "GD 1"});
    EXPECT_EQ(unknown.code, cli::kExitFailed);
    EXPECT_NE(unknown.err.find("GD 1"), std::string::npos);
    EXPECT_EQ(controller().state().counters.requests, requests);
}

TEST_F(CliCar, WhichNamesOneCarOrEveryCandidateNeverGuessing) {
    addCars();
    const CliRun none = cli({"car", "which"});
    EXPECT_EQ(none.code, 3) << none.err;
    recordHeldUnder("KR 5678");
    const CliRun one = cli({"car", "which"});
    EXPECT_EQ(one.code, cli::kExitDone) << one.err;
    EXPECT_EQ(one.out,
              "KR 5678  Fiat  " + reg::localDate(cars().car(carId("KR 5678"))->lastVisit) + "\n");
    recordHeldUnder("WX 12345");
    const CliRun many = cli({"car", "which"});
    EXPECT_EQ(many.code, 4);
    EXPECT_NE(many.out.find("KR 5678"), std::string::npos);
    EXPECT_NE(many.out.find("WX 12345"), std::string::npos);

    put(varied(5));
    const CliRun near = cli({"car", "which"});
    EXPECT_EQ(near.code, 3);
    EXPECT_NE(near.out.find(say(texts::kCliClosestCars)), std::string::npos) << near.out;
}

TEST_F(CliCar, AWriteToAnotherCarsControllerIsRefusedUnlessConfirmed) {
    addCars();
    recordHeldUnder("KR 5678");
    const MapSnapshot before = held();
    const std::string mapFile = file("new.csv", formatMapFile(varied(7), simulatorsFile()));

    const std::vector<std::vector<std::string>> commands = {
        {"write-map", mapFile, "--car", "WX 12345"},
        {"clear-map", "--car", "WX 12345"},
        {"set", "rpm-divider=2", "--car", "WX 12345"},
        {"edit", "--block", "1:1-2:2", "--add", "0.1", "--car", "WX 12345"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.front());
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, cli::kExitFailed);
        EXPECT_NE(run.err.find("KR 5678"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("WX 12345"), std::string::npos);
        EXPECT_NE(run.err.find("--yes"), std::string::npos);
        EXPECT_EQ(writes(), 0u);
        EXPECT_EQ(held(), before);
        EXPECT_TRUE(backups().empty());
    }
    // The car's own map, and a map no car has, are written without a question.
    EXPECT_EQ(cli({"set", "rpm-divider=2", "--car", "KR 5678"}).code, cli::kExitDone);
    put(varied(9));
    EXPECT_EQ(cli({"set", "rpm-divider=2", "--car", "WX 12345"}).code, cli::kExitDone);

    put(before);
    const CliRun confirmed = cli({"write-map", mapFile, "--car", "WX 12345", "--yes"});
    EXPECT_EQ(confirmed.code, cli::kExitDone) << confirmed.err;
    EXPECT_EQ(held(), varied(7));
    // What the tool wrote is what the next connection recognises.
    const CliRun which = cli({"car", "which"});
    EXPECT_EQ(which.code, cli::kExitDone);
    EXPECT_TRUE(which.out.starts_with("WX 12345")) << which.out;
}

TEST_F(CliCar, WhatACommandReadsWritesAndLearnsLandsUnderTheCar) {
    addCars();
    const std::string mapFile = file("new.csv", formatMapFile(varied(7), simulatorsFile()));
    ASSERT_EQ(cli({"write-map", mapFile, "--car", "WX 12345"}).code, cli::kExitDone);
    ASSERT_EQ(cli({"clear-map", "--car", "WX 12345"}).code, cli::kExitDone);
    EXPECT_EQ(causesOf("WX 12345"),
              (std::vector<Cause>{Cause::Connected, Cause::MapFileLoad, Cause::Connected,
                                  Cause::BeforeClear, Cause::Edit}));
    const std::vector<reg::Version> versions = cars().versions(carId("WX 12345"));
    ASSERT_EQ(versions.size(), 3u);
    EXPECT_EQ(versions[1].state.state, varied(7));
    EXPECT_EQ(versions[2].state.state, held());

    // A calibration from a recorded drive, and a log recorded while connected.
    const sim::PetrolDrive drive;
    const std::string log = file("drive.csv", readingsLogOf(polledPetrolDrive(drive)));
    const std::string map = file("map.csv", formatMapFile(sampleMapSnapshot(), {}));
    const CliRun calibrate = cli({"calibrate", log, "--map", map, "--car", "WX 12345"});
    ASSERT_EQ(calibrate.code, cli::kExitDone) << calibrate.err;
    const std::string recorded = directory_ + "/recorded.csv";
    const CliRun logged = cli({"log", "--seconds", "1", "--csv", recorded, "--car", "WX 12345"});
    ASSERT_EQ(logged.code, cli::kExitDone) << logged.err;

    using Kind = reg::TimelineEntry::Kind;
    std::vector<reg::TimelineEntry> drives, logs;
    for (const reg::TimelineEntry& entry : cars().timeline(carId("WX 12345"))) {
        if (entry.kind == Kind::Drive) {
            drives.push_back(entry);
        } else if (entry.kind == Kind::Log) {
            logs.push_back(entry);
        }
    }
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].text, log);
    EXPECT_GT(drives[0].readingsUsed, 0);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].text, recorded);
    EXPECT_TRUE(cars().timeline(carId("KR 5678")).empty());
}

TEST_F(CliCar, AVersionIsWrittenBackWithABackupFirst) {
    addCars();
    ASSERT_EQ(cli({"read-map", "-", "--car", "WX 12345"}).code, cli::kExitDone);
    const MapSnapshot original = held();
    const int64_t version = cars().versions(carId("WX 12345")).front().id;
    put(varied(11));
    recordHeldUnder("WX 12345");

    EXPECT_EQ(cli({"car", "restore", "WX 12345", "999"}).code, cli::kExitFailed);
    EXPECT_EQ(cli({"car", "restore", "KR 5678", std::to_string(version)}).code, cli::kExitFailed);
    EXPECT_EQ(writes(), 0u);

    const CliRun run = cli({"car", "restore", "WX 12345", std::to_string(version)});
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(held(), original);
    ASSERT_EQ(backups().size(), 1u);
    const MapFileRead backup = readMapFile(backups()[0].string());
    ASSERT_TRUE(backup.ok());
    EXPECT_EQ(backup.content->snapshot, varied(11));
    EXPECT_EQ(causesOf("WX 12345").back(), Cause::Restore);
}

TEST_F(CliCar, ADamagedRegisterStopsTheCommandBeforeTheControllerAndIsKept) {
    addCars();
    std::filesystem::remove(registerPath() + "-wal");
    std::filesystem::remove(registerPath() + "-shm");
    std::ofstream(registerPath(), std::ios::trunc) << std::string(4096, 'x');
    const std::string before = fileContents(registerPath());
    const CliRun run = cli({"clear-map", "--car", "WX 12345"});
    EXPECT_EQ(run.code, cli::kExitFailed);
    EXPECT_NE(run.err.find(say(texts::kRegisterDamaged)), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(registerPath()), std::string::npos);
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(fileContents(registerPath()), before);
}

} // namespace
} // namespace krv::test
