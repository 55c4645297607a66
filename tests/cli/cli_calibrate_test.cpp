// krv-cli calibrate: the proposal from a readings log of the simulator's petrol drive, on the
// map of a file or of the controller, written as a map file; nothing is sent to the controller,
// and a bad log, map or value stops it before anything is written.

#include "calibration/calibration.h"
#include "device/map_file/map_file.h"
#include "device/readings_csv.h"
#include "device/units.h"
#include "platform/text.h"
#include "sim/controller/sample_map.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/file_contents.h"
#include "tests/support/polled_drive.h"

#include <filesystem>
#include <fstream>

namespace krv::test {
namespace {

constexpr uint8_t kSettingsFrame = 3;
constexpr uint8_t kMapFrame = 9;
constexpr uint8_t kAxesFrame = 11;
constexpr uint8_t kType = 17;

class CliCalibrate : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        logText_ = readingsLogOf(polledPetrolDrive(drive_));
        log_ = file("drive.csv", logText_);
        map_ = file("map.csv", formatMapFile(sampleMapSnapshot(), mapFileInfoOf(kType, 256)));
    }
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = directory_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // The proposal of the core itself for the drive's log.
    CalibrationProposal expected(const MapSnapshot& map, const CalibrationParameters& limits = {}) {
        const ReadingsLogRead read = parseReadingsLog(logText_);
        return proposeCalibration(calibrationSamplesOf(*read.log), map, limits);
    }
    size_t writes() {
        return requestsOfType(kSettingsFrame) + requestsOfType(kMapFrame) +
               requestsOfType(kAxesFrame) + controller().state().counters.mapStores;
    }

    const sim::PetrolDrive drive_;
    std::string logText_;
    std::string log_;
    std::string map_;
    std::string out_ = directory_ + "/learned.csv";
};

TEST_F(CliCalibrate, FromALogAndAMapFileWithoutTheController) {
    const CliRun run = cli({"calibrate", log_, "--map", map_, "--out", out_});
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(controller().state().counters.requests, 0u);

    const MapSnapshot map = sampleMapSnapshot();
    const CalibrationProposal proposal = expected(map);
    EXPECT_EQ(
        run.out.rfind("Komórki nauczone: " + std::to_string(proposal.summary.learned) + ",", 0), 0u)
        << run.out;
    EXPECT_NE(run.out.find("Odrzucone odczyty: "), std::string::npos);
    const MapFileRead learned = readMapFile(out_);
    ASSERT_TRUE(learned.ok()) << toUtf8(learned.error);
    EXPECT_EQ(learned.content->snapshot, proposal.appliedTo(map));

    // The cells it wrote are the drive's own, not the sample map's.
    const sim::IdealMap ideal = drive_.idealMap(map.rows, map.columns);
    int checked = 0;
    for (size_t i = 0; i < kMapCells; ++i) {
        if (proposal.cells[i].status == CellStatus::Learned && ideal.held(i)) {
            EXPECT_NEAR(units::mapCellVolts(learned.content->snapshot.cells[i]), ideal.volts[i],
                        0.05)
                << "cell " << i;
            ++checked;
        } else if (proposal.cells[i].status != CellStatus::Learned) {
            EXPECT_EQ(learned.content->snapshot.cells[i], map.cells[i]) << "cell " << i;
        }
    }
    EXPECT_GE(checked, 20);
}

TEST_F(CliCalibrate, OnTheControllersMapAndAxesWritingNothingToIt) {
    const MapSnapshot map = sampleMapSnapshot();
    controller().setAxes(map.rows, map.columns);
    controller().setMap(map.cells);
    controller().setSettings({4, 7, 900});
    const CliRun run = cli({"calibrate", log_, "--out", out_});
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(writes(), 0u);

    MapSnapshot held = map;
    held.rpmDivider = 4;
    held.noiseDelta = 7;
    held.noisePeriod = 900;
    const MapFileRead learned = readMapFile(out_);
    ASSERT_TRUE(learned.ok()) << toUtf8(learned.error);
    EXPECT_EQ(learned.content->snapshot, expected(held).appliedTo(held));
    EXPECT_EQ(learned.content->info.firmwareVersion, controller().state().knobs.version);
}

TEST_F(CliCalibrate, MinimumHitsDecidesWhatIsLearned) {
    const auto learnedWith = [&](const std::string& minHits, int code = cli::kExitDone) {
        const CliRun run = cli({"calibrate", log_, "--map", map_, "--min-hits", minHits});
        EXPECT_EQ(run.code, code) << run.err;
        return run.out;
    };
    CalibrationParameters many;
    many.minHits = 60;
    EXPECT_EQ(learnedWith("60").rfind(
                  "Komórki nauczone: " +
                      std::to_string(expected(sampleMapSnapshot(), many).summary.learned) + ",",
                  0),
              0u);
    EXPECT_EQ(learnedWith("100000", cli::kExitFailed).rfind("Komórki nauczone: 0,", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(out_)) << "no --out, no file";
}

TEST_F(CliCalibrate, BadArgumentsStopBeforeAnythingIsWritten) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err; // a part of the line on err
    };
    const std::string garbled = file("garbled.csv", logText_ + "1.000,x,2,3,4,5,0\n7,8\n");
    const Case cases[] = {
        {{"calibrate", log_, "--map", map_, "--min-hits", "0"}, cli::kExitUsage, "0"},
        {{"calibrate", log_, "--map", map_, "--min-hits", "many"}, cli::kExitUsage, "many"},
        {{"calibrate", log_, "--map", map_, "--min-hits", "100001"}, cli::kExitUsage, "100001"},
        {{"calibrate", log_, map_}, cli::kExitUsage, "calibrate"},
        {{"calibrate", garbled, "--map", map_}, cli::kExitFailed, "wiersz"},
        {{"calibrate", directory_ + "/absent.csv", "--map", map_},
         cli::kExitFailed,
         directory_ + "/absent.csv: "},
        {{"calibrate", log_, "--map", log_}, cli::kExitFailed, log_ + ": "},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--out", out_});
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, c.code) << c.args.back() << ": " << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_FALSE(run.err.empty());
        EXPECT_FALSE(std::filesystem::exists(out_)) << c.args.back();
    }
    EXPECT_EQ(controller().state().counters.requests, 0u);
}

// The recording is never the output, under any of its names; it is refused before anything
// else is done and stays byte for byte as it was.
TEST_F(CliCalibrate, NeverWritesOverItsOwnLog) {
    const std::string folder = directory_;
    std::filesystem::create_symlink(log_, folder + "/link.csv");
    std::filesystem::create_hard_link(log_, folder + "/hard.csv");
    const std::string names[] = {log_, folder + "/./drive.csv", folder + "/link.csv",
                                 folder + "/hard.csv"};
    for (const std::string& name : names) {
        const CliRun run = cli({"calibrate", log_, "--map", map_, "--out", name});
        EXPECT_EQ(run.code, cli::kExitFailed) << name;
        EXPECT_EQ(run.err, "Plik " + name +
                               " to zapis odczytów, z którego polecenie czyta; nie zostanie "
                               "nadpisany\n");
        EXPECT_EQ(run.out, "") << name;
        EXPECT_EQ(fileContents(log_), logText_) << name;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link.csv"));
}

// What a script must be able to trust: stdout holds just the map with "--out -", a log of
// nothing learnable fails and writes nothing, a log of another firmware is said.
TEST_F(CliCalibrate, OutputsAScriptCanTrust) {
    const CliRun toStdout = cli({"calibrate", log_, "--map", map_, "--out", "-"});
    ASSERT_EQ(toStdout.code, cli::kExitDone) << toStdout.err;
    const MapFileRead learned = parseMapFile(toStdout.out);
    ASSERT_TRUE(learned.ok()) << toUtf8(learned.error);
    EXPECT_EQ(learned.content->snapshot,
              expected(sampleMapSnapshot()).appliedTo(sampleMapSnapshot()));
    EXPECT_EQ(toStdout.err.rfind("Komórki nauczone: ", 0), 0u) << toStdout.err;
    EXPECT_FALSE(std::filesystem::exists(directory_ + "/-"));

    // The engine off, on ignition only: nothing to learn from.
    std::string idle = logText_.substr(0, logText_.find("seconds,"));
    idle += "seconds,sample,rpm,input V,output V,pump PWM V,work state\n";
    for (int i = 1; i <= 200; ++i) {
        idle += std::to_string(i * 0.05) + "," + std::to_string(i) + ",0,0.500,0.500,0.000,0\n";
    }
    const CliRun nothing = cli({"calibrate", file("idle.csv", idle), "--map", map_, "--out", out_});
    EXPECT_EQ(nothing.code, cli::kExitFailed);
    EXPECT_NE(nothing.err.find("Z zapisu nie udało się nauczyć żadnej komórki; nic nie zapisano."),
              std::string::npos)
        << nothing.err;
    EXPECT_FALSE(std::filesystem::exists(out_));

    const std::string newer =
        file("newer.csv", formatMapFile(sampleMapSnapshot(), mapFileInfoOf(kType, 300)));
    const CliRun other = cli({"calibrate", log_, "--map", newer});
    EXPECT_EQ(other.code, cli::kExitDone) << other.err;
    EXPECT_EQ(other.err, "Zapis odczytów pochodzi z firmware 256, a mapa z firmware 300.\n");
    EXPECT_EQ(cli({"calibrate", log_, "--map", map_}).err, "");
}

// A log that names its axes is learned only on a map of the same axes, unless --force says so:
// its readings would otherwise be filed into cells they never belonged to.
TEST_F(CliCalibrate, ALogOfOtherAxesIsRefusedUnlessForced) {
    const MapSnapshot map = sampleMapSnapshot();
    const auto withAxes = [&](const char* name, const MapAxes& axes) {
        const size_t body = logText_.find('\n', logText_.find("seconds,")) + 1;
        return file(name, readings_csv::header(std::chrono::system_clock::now(), 256, axes) +
                              logText_.substr(body));
    };
    const std::string same = withAxes("same.csv", map.axes());
    MapAxes moved = map.axes();
    moved.columns[7] = static_cast<uint8_t>(moved.columns[7] + 1);
    const std::string other = withAxes("other.csv", moved);

    const CliRun refused = cli({"calibrate", other, "--map", map_, "--out", out_});
    EXPECT_EQ(refused.code, cli::kExitUsage);
    EXPECT_EQ(refused.err, "Zapis odczytów nagrano przy innych osiach niż osie mapy.\n"
                           "Nic nie policzono; aby uczyć się mimo to, dodaj opcję --force.\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(std::filesystem::exists(out_));

    const CliRun forced = cli({"calibrate", other, "--map", map_, "--out", out_, "--force"});
    EXPECT_EQ(forced.code, cli::kExitDone) << forced.err;
    EXPECT_EQ(forced.err, "Zapis odczytów nagrano przy innych osiach niż osie mapy.\n");
    EXPECT_TRUE(std::filesystem::exists(out_));

    const CliRun matching = cli({"calibrate", same, "--map", map_});
    EXPECT_EQ(matching.code, cli::kExitDone) << matching.err;
    EXPECT_EQ(matching.err, "");
}

} // namespace
} // namespace krv::test
