// The simulated controller on its own: how it answers, what it refuses, its engine model,
// and the state file scripts read.

#include "device/diag.h"
#include "device/units.h"
#include "sim/controller/controller.h"
#include "sim/controller/engine_model.h"
#include "sim/controller/sample_map.h"
#include "sim/controller/state_file.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <set>
#include <sstream>
#include <thread>

namespace krv::sim {
namespace {

using ::testing::HasSubstr;

std::vector<uint8_t> command(uint8_t code) {
    return {code, 0, 0, 0, 0, 0};
}

uint8_t statusOf(const std::optional<Frame>& reply) {
    EXPECT_TRUE(reply.has_value());
    EXPECT_EQ(reply->type, 2);
    return reply->payload.at(0);
}

TEST(SimController, AccessCodeDecidesTheHandOver) {
    CController controller;
    const std::string wrong[] = {"QK318275", "QK31827", "QK3182740", ""};
    for (const std::string& code : wrong) {
        EXPECT_EQ(statusOf(controller.handle({0xF6, {code.begin(), code.end()}})), 0) << code;
    }
    EXPECT_EQ(controller.state().mode, ControllerMode::Application);
    const std::string right = "QK318274";
    EXPECT_EQ(statusOf(controller.handle({0xF6, {right.begin(), right.end()}})), 4);
    EXPECT_EQ(controller.state().mode, ControllerMode::Bootloader);
    EXPECT_EQ(statusOf(controller.handle({2, command(0xCC)})), 5);
    EXPECT_EQ(statusOf(controller.handle({2, command(0x0A)})), 4);
    EXPECT_EQ(controller.state().mode, ControllerMode::Application);
}

TEST(SimController, EachModeRefusesTheOthersCommands) {
    CController application;
    EXPECT_EQ(statusOf(application.handle({0xF9, {0, 0x18, 0, 0}})), 0);
    EXPECT_EQ(statusOf(application.handle({2, command(0xC4)})), 0);
    EXPECT_EQ(statusOf(application.handle({2, command(0x42)})), 0);
    EXPECT_EQ(statusOf(application.handle({2, {}})), 0);
    CController bootloader(ControllerMode::Bootloader);
    EXPECT_EQ(statusOf(bootloader.handle({2, command(0x0E)})), 0);
    EXPECT_EQ(statusOf(bootloader.handle({9, std::vector<uint8_t>(240, 1)})), 0);
    EXPECT_EQ(bootloader.state().map[0], 0);
}

TEST(SimController, RefusingWritesLeavesEverythingAsItWasAndStillAnswersReads) {
    CController controller;
    controller.setSettings({3, 4, 500});
    std::array<uint8_t, 240> map{};
    map[17] = 60;
    controller.setMap(map);
    auto knobs = controller.knobs();
    knobs.refuseWrites = true;
    controller.setKnobs(knobs);
    const ControllerState before = controller.state();
    const Frame writes[] = {
        {protocol::kSettingsFrame, {9, 9, 9, 9}},
        {protocol::kMapFrame, std::vector<uint8_t>(240, 7)},
        {protocol::kAxesFrame, std::vector<uint8_t>(48, 1)},
        {protocol::kAdjustRegionFrame, {0, 0, 2, 2, 2, 5}},
        {protocol::kCommandFrame, command(protocol::kStoreMap)},
        {protocol::kCommandFrame, command(protocol::kClearMapTime)},
    };
    for (const Frame& write : writes) {
        EXPECT_EQ(statusOf(controller.handle(write)), protocol::kStatusRefused) << int{write.type};
    }
    const ControllerState after = controller.state();
    EXPECT_EQ(after.settings, before.settings);
    EXPECT_EQ(after.map, before.map);
    EXPECT_EQ(after.rowAxis, before.rowAxis);
    EXPECT_EQ(after.columnAxis, before.columnAxis);
    EXPECT_EQ(after.counters.mapStores, before.counters.mapStores);
    const auto settings =
        controller.handle({protocol::kCommandFrame, command(protocol::kReadSettings)});
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(settings->payload, (std::vector<uint8_t>{3, 4, 0xF4, 0x01}));
    const auto read = controller.handle({protocol::kCommandFrame, command(protocol::kReadMap)});
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->payload.at(17), 60);
}

TEST(SimController, RegionAdjustmentSaturatesAndRefusesBadRegions) {
    CController controller;
    std::array<uint8_t, 240> map{};
    map[0] = 250;
    map[1] = 3;
    controller.setMap(map);
    EXPECT_EQ(statusOf(controller.handle({10, {0, 0, 1, 1, 2, 10}})), 4);
    EXPECT_EQ(statusOf(controller.handle({10, {0, 1, 1, 1, 3, 10}})), 4);
    EXPECT_EQ(controller.state().map[0], 255);
    EXPECT_EQ(controller.state().map[1], 0);
    EXPECT_EQ(statusOf(controller.handle({10, {15, 0, 2, 1, 2, 1}})), 0);
    EXPECT_EQ(statusOf(controller.handle({10, {0, 0, 1, 1, 4, 1}})), 0);
    EXPECT_EQ(statusOf(controller.handle({10, {0, 0, 1, 1, 2}})), 0);
}

TEST(SimController, WritesOfTheWrongLengthAreRefused) {
    CController controller;
    EXPECT_EQ(statusOf(controller.handle({3, {1, 2, 3}})), 0);
    EXPECT_EQ(statusOf(controller.handle({9, std::vector<uint8_t>(239, 1)})), 0);
    EXPECT_EQ(statusOf(controller.handle({11, std::vector<uint8_t>(47, 1)})), 0);
    const auto state = controller.state();
    EXPECT_EQ(state.settings, ControllerSettings{});
    EXPECT_EQ(state.map[0], 0);
    EXPECT_EQ(state.columnAxis[0], 5);
    EXPECT_EQ(state.counters.refused, 3u);
}

TEST(SimController, IdentifyAndVersionFollowTheKnobs) {
    CController controller;
    ControllerKnobs knobs;
    knobs.identifyType = 21;
    knobs.identifyWord = 0x1234;
    knobs.version = 0x0305;
    controller.setKnobs(knobs);
    EXPECT_EQ(controller.handle({2, command(0xCC)})->payload,
              (std::vector<uint8_t>{4, 21, 0x34, 0x12, 0, 0}));
    const auto version = controller.handle({2, command(0x0D)});
    EXPECT_EQ(version->type, 8);
    EXPECT_EQ(version->payload, (std::vector<uint8_t>{0x05, 0x03, 21}));
}

TEST(SimController, EngineDrivesAPlausibleCycle) {
    double lowest = 1e9, highest = 0, pumpLow = 1e9, pumpHigh = 0;
    for (double t = 0; t < kCycleSeconds; t += 0.05) {
        const EnginePoint p = enginePoint(t);
        lowest = std::min(lowest, p.rpm);
        highest = std::max(highest, p.rpm);
        pumpLow = std::min(pumpLow, p.pumpVolts);
        pumpHigh = std::max(pumpHigh, p.pumpVolts);
        EXPECT_GT(p.inputVolts, 0.0);
        EXPECT_LT(p.inputVolts, 5.0);
    }
    EXPECT_GE(lowest, 700);
    EXPECT_LT(lowest, 800);
    EXPECT_LE(highest, 5000);
    EXPECT_GT(highest, 4500);
    EXPECT_NEAR(pumpLow, 0.5, 0.01);
    EXPECT_NEAR(pumpHigh, 12.0, 0.2);
    // Input follows the load: higher at full throttle than at idle.
    EXPECT_GT(inputVoltsAtPump(pumpHigh), inputVoltsAtPump(pumpLow) + 2);
}

uint16_t wordAt(const std::array<uint8_t, 18>& payload, int offset) {
    return static_cast<uint16_t>(payload[offset] | (payload[offset + 1] << 8));
}

// The chart plots from the first reading on: the engine idles from the controller's start.
TEST(SimController, FirstReadingIsAnIdlingEngine) {
    CController controller;
    const std::optional<Frame> reply = controller.handle({2, command(0x06)});
    ASSERT_TRUE(reply.has_value());
    ASSERT_EQ(reply->type, 1);
    ASSERT_EQ(reply->payload.size(), 18u);
    std::array<uint8_t, 18> payload{};
    std::copy(reply->payload.begin(), reply->payload.end(), payload.begin());
    const double rpm = 7500000.0 / wordAt(payload, 0);
    EXPECT_GE(rpm, 700);
    EXPECT_LE(rpm, 800);
    EXPECT_NEAR(static_cast<int16_t>(wordAt(payload, 2)) * 0.015, 0.5, 0.02);
    const double input = wordAt(payload, 12) / 200.0;
    EXPECT_GE(input, 0.5);
    EXPECT_LE(input, 1.0);
    EXPECT_EQ(wordAt(payload, 14), wordAt(payload, 12)); // on petrol
}

TEST(SimController, SampleMapRisesWithLoadAndSpeedAboveTheEngineInput) {
    const MapAndAxes sample = sampleMap();
    // Axes ascending, spanning the engine's pump PWM (0.5-12 V) and engine speed ranges.
    EXPECT_TRUE(std::is_sorted(sample.rowAxis.begin(), sample.rowAxis.end()));
    EXPECT_TRUE(std::is_sorted(sample.columnAxis.begin(), sample.columnAxis.end()));
    EXPECT_GT(sample.rowAxis[0] * 0.015, 0.5);
    EXPECT_NEAR(sample.rowAxis[15] * 0.015, 12.0, 0.01);
    EXPECT_GT(sample.columnAxis[0] * 100, 0);
    EXPECT_LT(sample.columnAxis[0] * 100, 750);
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 15; ++c) {
            const uint8_t cell = sample.map[r * 15 + c];
            SCOPED_TRACE(::testing::Message() << "row " << r << ", column " << c);
            EXPECT_GT(cell, 0);
            EXPECT_LE(cell * 0.02, 5.0);
            if (r > 0) {
                EXPECT_GT(cell, sample.map[(r - 1) * 15 + c]);
            }
            if (c > 0) {
                EXPECT_GE(cell, sample.map[r * 15 + c - 1]);
            }
        }
    }
    EXPECT_GT(sample.map[15 * 15 + 14], sample.map[15 * 15] + 3); // speed adds a tenth or more
}

// On gas over one drive with the sample map: the output is the cell the tool highlights, a few
// tenths above the input, and the operating point crosses most rows and columns of the map.
TEST(SimController, DriveOnGasWalksTheSampleMap) {
    const MapAndAxes map = sampleMap();
    EngineInputs inputs{0, &map.map, &map.rowAxis, &map.columnAxis, true};
    std::set<int> rows, columns;
    double lowest = 1e9, highest = -1e9;
    for (double t = 0; t < kCycleSeconds; t += 0.05) {
        inputs.seconds = t;
        CDiag sample;
        sample.raw = readingsPayload(inputs);
        // The tool's cell: the first break point above the value, else the last.
        int row = 15, column = 14;
        while (row > 0 && pumpPwmVolts(sample) < units::rowBreakVolts(map.rowAxis[row - 1])) {
            --row;
        }
        while (column > 0 &&
               engineSpeedRpm(sample) < units::columnBreakRpm(map.columnAxis[column - 1])) {
            --column;
        }
        rows.insert(row);
        columns.insert(column);
        ASSERT_DOUBLE_EQ(outputVolts(sample), units::mapCellVolts(map.map[row * 15 + column]))
            << "at " << t << " s";
        const double correction = outputVolts(sample) - inputVolts(sample);
        lowest = std::min(lowest, correction);
        highest = std::max(highest, correction);
    }
    EXPECT_GT(lowest, -0.1);
    EXPECT_LT(highest, 1.0);
    EXPECT_GT(highest, 0.3);
    EXPECT_GE(rows.size(), 14u);
    EXPECT_GE(columns.size(), 14u);
}

TEST(SimController, OutputIsTheInputCorrectedByTheMapCellOnGas) {
    std::array<uint8_t, 240> map{};
    std::array<int16_t, 16> rows{};
    std::array<uint8_t, 15> columns{};
    for (int i = 0; i < 16; ++i) {
        rows[i] = static_cast<int16_t>(64 * (i + 1));
    }
    for (int j = 0; j < 15; ++j) {
        columns[j] = static_cast<uint8_t>(5 + 3 * j);
    }
    map.fill(150); // 3.00 V everywhere
    EngineInputs inputs{2.0, &map, &rows, &columns, false};
    auto petrol = readingsPayload(inputs);
    EXPECT_EQ(petrol[16], 2);
    EXPECT_EQ(petrol[12], petrol[14]);
    EXPECT_EQ(petrol[13], petrol[15]);
    inputs.onGas = true;
    auto gas = readingsPayload(inputs);
    EXPECT_EQ(gas[16], 3);
    EXPECT_EQ(gas[14] | (gas[15] << 8), 600); // 3.00 V = 600 x 5 mV
    map.fill(0);                              // nothing learnt: the input passes
    gas = readingsPayload(inputs);
    EXPECT_EQ(gas[12] | (gas[13] << 8), gas[14] | (gas[15] << 8));
}

TEST(SimController, StateFileIsRewrittenOnEveryChange) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("krv-controller-state-" + std::to_string(::getpid()) + ".json");
    auto read = [&] {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    {
        CController controller;
        controller.setStateFile(path.string());
        EXPECT_THAT(read(), HasSubstr("\"mode\":\"application\""));
        controller.handle({3, {4, 5, 0x10, 0x27}});
        EXPECT_THAT(
            read(),
            HasSubstr("\"settings\":{\"rpmDivider\":4,\"noiseDelta\":5,\"noisePeriod\":10000}"));
        const std::string code = "QK318274";
        controller.handle({0xF6, {code.begin(), code.end()}});
        controller.handle({0xF9, {0x00, 0x18, 0, 0}});
        std::vector<uint8_t> row = {0x80, 0x18, 0, 0};
        row.resize(196, 0xAB);
        controller.handle({0xF7, row});
        const std::string json = read();
        EXPECT_THAT(json, HasSubstr("\"mode\":\"bootloader\""));
        EXPECT_THAT(json, HasSubstr("\"eraseCounts\":{\"6144\":1}"));
        EXPECT_THAT(json, HasSubstr("\"6272\":\"abababab"));
        EXPECT_EQ(json, stateJson(controller.state()));
    }
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
    std::filesystem::remove(path);
}

// The serving thread handles requests while a test thread reads the state.
TEST(SimController, StateCanBeReadWhileRequestsAreHandled) {
    CController controller;
    std::thread wire([&] {
        for (int i = 0; i < 2000; ++i) {
            controller.handle({10, {0, 0, 16, 15, 2, 1}});
            controller.handle({2, command(0x06)});
        }
    });
    for (int i = 0; i < 200; ++i) {
        const auto state = controller.state();
        EXPECT_TRUE(std::all_of(state.map.begin(), state.map.end(),
                                [&](uint8_t cell) { return cell == state.map[0]; }));
        controller.requests();
    }
    wire.join();
    EXPECT_EQ(controller.state().map[239], 255);
    EXPECT_EQ(controller.state().counters.readings, 2000u);
}

} // namespace
} // namespace krv::sim
