// krv-sim as a script meets it: started with controller options, reached through KRV_PORTS,
// its state file telling what the tool did to the controller.

#include "device/lpg_device.h"
#include "device/map_file/map_file.h"
#include "device/units.h"
#include "platform/text.h"
#include "sim/controller/sample_map.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <memory>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace krv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class KrvSim : public ::testing::Test {
protected:
    KrvSim() { fs::create_directories(folder_); }

    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        fs::remove_all(folder_);
    }

    // Starts krv-sim and waits for its link to appear; false when it never does.
    bool start(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {KRV_SIM_PATH, "--link", link_.string(), "--state", stateFile_.string()});
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, KRV_SIM_PATH, nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fs::exists(link_) || !fs::exists(stateFile_)) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::setenv("KRV_PORTS", link_.c_str(), 1);
        device.port.open(1);
        device.port.setState();
        device.port.setTimeout();
        return true;
    }

    std::string state() const {
        std::ifstream file(stateFile_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    fs::path folder_ = fs::temp_directory_path() / ("krv-sim-test-" + std::to_string(::getpid()));
    fs::path link_ = folder_ / "port";
    fs::path stateFile_ = folder_ / "state.json";
    pid_t pid_ = -1;
    CLPGDevice device;
};

TEST_F(KrvSim, AnswersTheApplicationCommandsAndRecordsTheirEffect) {
    ASSERT_TRUE(start({"--type", "17", "--word", "84", "--version", "300", "--gas"}));
    const IdentifyAnswer answer = device.requestIdentity();
    EXPECT_EQ(answer.kind, IdentifyAnswer::Kind::Application);
    EXPECT_FALSE(device.readingsEnabled); // word 84 is not 0x0055
    ASSERT_TRUE(device.readVersion());
    EXPECT_EQ(device.firmwareVersion, 300);
    MapCells cells;
    cells.fill(units::mapCellWire(1.0));
    ASSERT_TRUE(device.writeSettings({3, 0, 0}, cells));
    ASSERT_TRUE(device.storeMap());
    CDiag record;
    ASSERT_EQ(device.readReadings(record), CLPGDevice::kReadingOk);
    EXPECT_TRUE(isWorking(record));

    const std::string json = state();
    EXPECT_THAT(json, HasSubstr("\"rpmDivider\":3"));
    EXPECT_THAT(json, HasSubstr("\"map\":[50,50,50"));
    EXPECT_THAT(json, HasSubstr("\"mapStores\":1"));
    EXPECT_THAT(json, HasSubstr("\"onGas\":true"));
}

TEST_F(KrvSim, StartsInTheBootloaderAndReportsItsState) {
    ASSERT_TRUE(start({"--bootloader", "--boot-state", "246"}));
    EXPECT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::Bootloader);
    uint16_t bootState = 0;
    EXPECT_FALSE(device.queryBootloader(bootState));
    EXPECT_EQ(bootState, 0xF6);
    EXPECT_TRUE(device.startApplication());
    EXPECT_THAT(state(), HasSubstr("\"mode\":\"application\""));
    EXPECT_THAT(state(), HasSubstr("\"programmingEnded\":true"));
}

// What ./run --sim starts: the tool reads a calibrated map and axes, and on gas the output
// stands apart from the input from the first reading on.
TEST_F(KrvSim, SampleMapOptionStartsWithACalibratedMapOnGas) {
    ASSERT_TRUE(start({"--sample-map", "--gas"}));
    const sim::MapAndAxes sample = sim::sampleMap();
    std::string mapJson = "\"map\":[";
    for (uint8_t cell : sample.map) {
        mapJson += std::to_string(cell) + ",";
    }
    mapJson.back() = ']';
    EXPECT_THAT(state(), HasSubstr(mapJson));

    ASSERT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::Application);
    const std::optional<MapCells> cells = device.readMap();
    const std::optional<MapAxes> axes = device.readMapAxes();
    ASSERT_TRUE(cells && axes);
    EXPECT_EQ(*cells, sample.map);
    EXPECT_EQ(axes->rows, sample.rowAxis);
    EXPECT_EQ(axes->columns, sample.columnAxis);
    EXPECT_DOUBLE_EQ(units::rowBreakVolts(axes->rows[15]), 12.0);
    EXPECT_DOUBLE_EQ(units::columnBreakRpm(axes->columns[0]), 500.0);
    EXPECT_GT(units::mapCellVolts((*cells)[0]), 0.5);
    EXPECT_GT(units::mapCellVolts((*cells)[239]), units::mapCellVolts((*cells)[0]) + 3);
    CDiag record;
    ASSERT_EQ(device.readReadings(record), CLPGDevice::kReadingOk);
    EXPECT_TRUE(isWorking(record));
    EXPECT_GT(engineSpeedRpm(record), 0);
    EXPECT_GT(inputVolts(record), 0.0);
    EXPECT_GT(outputVolts(record), inputVolts(record));
}

// A car on its first calibration drive: axes set up, the map empty, the engine on petrol; the
// drive's ideal map lands in a map file for measuring what a calibration learns.
TEST_F(KrvSim, PetrolDriveWritesItsIdealMap) {
    const fs::path ideal = folder_ / "ideal.csv";
    ASSERT_TRUE(start({"--drive", "--ideal-map", ideal.string()}));
    const MapFileRead file = readMapFile(ideal.string());
    ASSERT_TRUE(file.ok());
    const sim::MapAndAxes sample = sim::sampleMap();
    EXPECT_EQ(file.content->snapshot.rows, sample.rowAxis);
    EXPECT_EQ(file.content->snapshot.columns, sample.columnAxis);
    int held = 0;
    for (uint8_t cell : file.content->snapshot.cells) {
        held += cell != 0;
        EXPECT_TRUE(cell == 0 || (cell * 0.02 > 0.7 && cell * 0.02 < 4.3)) << int(cell);
    }
    EXPECT_GE(held, 20);

    ASSERT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::Application);
    const auto map = device.readMap();
    const auto axes = device.readMapAxes();
    ASSERT_TRUE(map && axes);
    EXPECT_EQ(*map, MapCells{});
    EXPECT_DOUBLE_EQ(units::rowBreakVolts(axes->rows[15]), 12.0);
    CDiag record;
    ASSERT_EQ(device.readReadings(record), CLPGDevice::kReadingOk);
    EXPECT_FALSE(isWorking(record));
    EXPECT_GE(engineSpeedRpm(record), 650); // idling at the start
}

TEST_F(KrvSim, IdealMapThatCannotBeWrittenStopsTheStart) {
    std::ofstream(folder_ / "a-file") << "stands where the folder would be\n";
    const std::string unwritable = (folder_ / "a-file" / "ideal.csv").string();
    std::vector<std::string> arguments{KRV_SIM_PATH, "--drive", "--ideal-map", unwritable};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, KRV_SIM_PATH, nullptr, nullptr, argv.data(), environ), 0);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "krv-sim served on with its ideal map unwritten";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

} // namespace
} // namespace krv
