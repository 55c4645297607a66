// krv-cli calibrate: the proposal from a readings log of the simulator's petrol drive, on the
// map of a file or of the controller, written as a map file; nothing is sent to the controller,
// and a bad log, map or value stops it before anything is written.

#include "calibration/calibration.h"
#include "device/map_file/map_file.h"
#include "device/units.h"
#include "platform/text.h"
#include "sim/controller/sample_map.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/polled_drive.h"

#include <filesystem>
#include <fstream>

namespace krv::test {
namespace {

constexpr uint8_t kSettingsFrame = 3;
constexpr uint8_t kMapFrame = 9;
constexpr uint8_t kAxesFrame = 11;

class CliCalibrate : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        logText_ = readingsLogOf(polledPetrolDrive(drive_));
        log_ = file("drive.csv", logText_);
        map_ = file("map.csv", formatMapFile(sampleMapSnapshot(), {}));
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
    const auto learnedWith = [&](const std::string& minHits) {
        const CliRun run = cli({"calibrate", log_, "--map", map_, "--min-hits", minHits});
        EXPECT_EQ(run.code, cli::kExitDone) << run.err;
        return run.out;
    };
    CalibrationParameters many;
    many.minHits = 60;
    EXPECT_EQ(learnedWith("60").rfind(
                  "Komórki nauczone: " +
                      std::to_string(expected(sampleMapSnapshot(), many).summary.learned) + ",",
                  0),
              0u);
    EXPECT_EQ(learnedWith("100000").rfind("Komórki nauczone: 0,", 0), 0u);
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
        {{"calibrate", directory_ + "/absent.csv", "--map", map_}, cli::kExitFailed, ""},
        {{"calibrate", log_, "--map", log_}, cli::kExitFailed, ""},
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

} // namespace
} // namespace krv::test
