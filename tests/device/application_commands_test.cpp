// The controller application's commands against the simulated controller on a pseudo-terminal:
// request bytes, decoding, tries against wrong answers, and demo mode.

#include "device/demo_readings.h"
#include "device_on_simulator.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <numeric>
#include <optional>

namespace krv {
namespace {

using sim::Frame;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<uint8_t> command(uint8_t code) {
    return {code, 0, 0, 0, 0, 0};
}

using ApplicationCommands = DeviceOnSimulator;

TEST_F(ApplicationCommands, ReadSettingsSendsItsCodeAndDecodesTheReply) {
    controller.setSettings({7, 9, 0x1234});
    EXPECT_EQ(device.readSettings(), (DeviceSettings{7, 9, 0x1234}));
    ASSERT_EQ(requestCount(), 1u);
    EXPECT_EQ(controller.requests()[0], (Frame{2, command(0x07)}));
}

TEST_F(ApplicationCommands, WriteSettingsSendsTheFieldsThenTheMap) {
    MapCells cells{};
    cells[0] = units::mapCellWire(1.00);
    ASSERT_TRUE(device.writeSettings({4, 200, 0xBEEF}, cells));
    const auto requests = controller.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], (Frame{3, {4, 200, 0xEF, 0xBE}}));
    EXPECT_EQ(requests[1], (Frame{9, {cells.begin(), cells.end()}}));
    EXPECT_EQ(controller.state().settings, (sim::ControllerSettings{4, 200, 0xBEEF}));
    EXPECT_EQ(controller.state().map[0], 50);
}

TEST_F(ApplicationCommands, ReadVersionDecodesVersionAndType) {
    auto knobs = controller.knobs();
    knobs.version = 0x0213;
    knobs.identifyType = 18;
    controller.setKnobs(knobs);
    ASSERT_TRUE(device.readVersion());
    EXPECT_EQ(device.firmwareVersion, 0x0213);
    EXPECT_EQ(device.deviceType, 18);
    EXPECT_EQ(controller.requests()[0], (Frame{2, command(0x0D)}));
}

TEST_F(ApplicationCommands, ReadMapReplacesEveryCellInRowMajorOrder) {
    std::array<uint8_t, 240> bytes{};
    std::iota(bytes.begin(), bytes.end(), 0);
    controller.setMap(bytes);
    const std::optional<MapCells> cells = device.readMap();
    ASSERT_TRUE(cells);
    EXPECT_EQ(*cells, bytes);
    EXPECT_DOUBLE_EQ(units::mapCellVolts((*cells)[0]), 0.0);
    EXPECT_DOUBLE_EQ(units::mapCellVolts((*cells)[50]), 1.00);
    EXPECT_DOUBLE_EQ(units::mapCellVolts((*cells)[15 * 3 + 2]), 0.02 * 47);
    EXPECT_DOUBLE_EQ(units::mapCellVolts((*cells)[239]), 0.02 * 239);
    EXPECT_EQ(controller.requests()[0], (Frame{2, command(0x0E)}));
}

// Volts typed for the cells reach the controller as their bytes, in row-major order; 5.2 V
// and -1 V are beyond what a map byte carries: they arrive as the nearest limit.
TEST_F(ApplicationCommands, WriteMapSendsEveryCellInRowMajorOrder) {
    std::array<double, 240> volts{};
    volts[0] = 1.01;
    volts[1] = 5.10;
    volts[2] = 5.2;
    volts[3] = -1.0;
    volts[239] = 2.5;
    MapCells cells{};
    std::transform(volts.begin(), volts.end(), cells.begin(), units::mapCellWire);
    ASSERT_TRUE(device.writeMap(cells));
    const auto map = controller.state().map;
    EXPECT_THAT(std::vector<uint8_t>(map.begin(), map.begin() + 5),
                ElementsAre(50, 255, 255, 0, 0));
    EXPECT_EQ(map[239], 125);
    EXPECT_EQ(map, cells);
    EXPECT_EQ(controller.requests()[0], (Frame{9, {cells.begin(), cells.end()}}));
}

TEST_F(ApplicationCommands, StoreAndClearAreAcknowledgedCommands) {
    controller.setMap(std::array<uint8_t, 240>{9, 9, 9});
    ASSERT_TRUE(device.clearMapTime());
    ASSERT_TRUE(device.storeMap());
    EXPECT_THAT(controller.requests(),
                ElementsAre(Frame{2, command(0x10)}, Frame{2, command(0x0F)}));
    EXPECT_EQ(controller.state().map, (std::array<uint8_t, 240>{}));
    EXPECT_EQ(controller.state().counters.mapStores, 1u);
}

TEST_F(ApplicationCommands, ReadMapAxesKeepsTheSignOfRowWords) {
    std::array<int16_t, 16> rows{};
    std::iota(rows.begin(), rows.end(), 1);
    rows[0] = -200;
    rows[15] = 32767;
    std::array<uint8_t, 15> columns{};
    std::iota(columns.begin(), columns.end(), 10);
    columns[14] = 255;
    controller.setAxes(rows, columns);
    const std::optional<MapAxes> axes = device.readMapAxes();
    ASSERT_TRUE(axes);
    EXPECT_EQ(*axes, (MapAxes{rows, columns}));
    EXPECT_DOUBLE_EQ(units::rowBreakVolts(axes->rows[0]), -3.00);
    EXPECT_DOUBLE_EQ(units::rowBreakVolts(axes->rows[1]), 0.015 * 2);
    EXPECT_NEAR(units::rowBreakVolts(axes->rows[15]), 491.505, 1e-9);
    EXPECT_DOUBLE_EQ(units::columnBreakRpm(axes->columns[5]), 1500);
    EXPECT_DOUBLE_EQ(units::columnBreakRpm(axes->columns[14]), 25500);
    EXPECT_EQ(controller.requests()[0], (Frame{2, command(0x11)}));
}

TEST_F(ApplicationCommands, WriteMapAxesLaysOutWordsThenBytesAndSaturates) {
    std::array<double, 16> rowVolts{};
    for (int i = 0; i < 16; ++i) {
        rowVolts[i] = 0.96 * (i + 1);
    }
    rowVolts[0] = 3.00;
    rowVolts[1] = -3.00;
    rowVolts[2] = 1000.0;            // a typed 1000 V must not wrap to a small word
    MapAxes axes = defaultMapAxes(); // columns from 500 rpm, 300 rpm apart
    std::transform(rowVolts.begin(), rowVolts.end(), axes.rows.begin(), units::rowBreakWire);
    axes.columns[0] = units::columnBreakWire(1500);
    axes.columns[1] = units::columnBreakWire(30000);
    ASSERT_TRUE(device.writeMapAxes(axes));
    const Frame request = controller.requests()[0];
    ASSERT_EQ(request.type, 11);
    ASSERT_EQ(request.payload.size(), 48u);
    EXPECT_THAT(std::vector<uint8_t>(request.payload.begin(), request.payload.begin() + 6),
                ElementsAre(200, 0, 0x38, 0xFF, 0xFF, 0x7F));
    EXPECT_EQ(request.payload[32], 15);
    EXPECT_EQ(request.payload[33], 255);
    EXPECT_EQ(request.payload[47], 0);
    const auto state = controller.state();
    EXPECT_EQ(state.rowAxis[1], -200);
    EXPECT_EQ(state.rowAxis[3], 256);
    EXPECT_EQ(state.columnAxis[14], 47);
}

TEST_F(ApplicationCommands, AdjustMapRegionSendsTheRegionAndMakesOneTry) {
    std::array<uint8_t, 240> map{};
    map[15 * 2 + 3] = 250;
    controller.setMap(map);
    ASSERT_TRUE(device.adjustMapRegion({2, 3, 2, 4, MapRegion::kRaise, 10}));
    EXPECT_EQ(controller.requests()[0], (Frame{10, {2, 3, 2, 4, 2, 10}}));
    const auto after = controller.state().map;
    EXPECT_EQ(after[15 * 2 + 3], 255); // saturated by the controller
    EXPECT_EQ(after[15 * 3 + 6], 10);
    EXPECT_EQ(after[15 * 3 + 7], 0);

    answerEverythingWith(2, {0, 0, 0, 0, 0, 0});
    controller.clearRequests();
    EXPECT_FALSE(device.adjustMapRegion({0, 0, 1, 1, MapRegion::kLower, 5}));
    EXPECT_EQ(requestCount(), 1u);
}

TEST_F(ApplicationCommands, AdjustMapRegionRefusesRegionsOutsideTheMapWithoutSending) {
    const MapRegion bad[] = {
        {15, 0, 2, 1, MapRegion::kRaise, 1}, // rows 15..16
        {0, 14, 1, 2, MapRegion::kRaise, 1}, // columns 14..15
        {0, 0, 1, 1, 7, 1},                  // unknown direction
    };
    for (const MapRegion& region : bad) {
        EXPECT_FALSE(device.adjustMapRegion(region));
    }
    EXPECT_EQ(requestCount(), 0u);
    EXPECT_TRUE(device.adjustMapRegion({15, 14, 1, 1, MapRegion::kLower, 1}));
}

TEST_F(ApplicationCommands, ReadMapAnsweredByStatusFramesGivesNoMapAfterTenTries) {
    answerEverythingWith(2, {4, 0, 0, 0, 0, 0});
    EXPECT_EQ(device.readMap(), std::nullopt);
    EXPECT_EQ(requestCount(), 10u);
}

// A reply of the right type but too short to hold the fields is not decoded.
TEST_F(ApplicationCommands, ShortRepliesAreNotDecoded) {
    answerEverythingWith(3, {9, 9});
    EXPECT_EQ(device.readSettings(), std::nullopt);
    answerEverythingWith(9, std::vector<uint8_t>(239, 50));
    EXPECT_EQ(device.readMap(), std::nullopt);
    answerEverythingWith(11, std::vector<uint8_t>(46, 1));
    EXPECT_EQ(device.readMapAxes(), std::nullopt);
    device.deviceType = 0;
    answerEverythingWith(2, {4, 17});
    EXPECT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::NoAnswer);
    EXPECT_EQ(device.deviceType, 0);
}

TEST_F(ApplicationCommands, WriteCommandsNeedAnAcknowledgement) {
    answerEverythingWith(2, {5, 0, 0, 0, 0, 0});
    EXPECT_FALSE(device.writeMap(MapCells{}));
    EXPECT_EQ(requestCount(), 10u);
    answerEverythingWith(3, {4, 0, 0, 0});
    EXPECT_FALSE(device.storeMap());
    EXPECT_EQ(requestCount(), 20u);
}

TEST_F(ApplicationCommands, WriteSettingsThatFailsWritesNoMap) {
    answerEverythingWith(2, {0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(device.writeSettings({4, 200, 0xBEEF}, MapCells{}));
    const auto requests = controller.requests();
    ASSERT_EQ(requests.size(), 10u);
    for (const Frame& request : requests) {
        EXPECT_EQ(request.type, 3);
    }
}

TEST_F(ApplicationCommands, IdentifyOfTheServedApplication) {
    device.deviceType = 0;
    device.readingsEnabled = false;
    const IdentifyAnswer answer = device.requestIdentity();
    EXPECT_EQ(answer.kind, IdentifyAnswer::Kind::Application);
    EXPECT_EQ(answer.type, 17);
    EXPECT_EQ(answer.word, 0x0055);
    EXPECT_EQ(device.deviceType, 17);
    EXPECT_TRUE(device.readingsEnabled);
    EXPECT_EQ(controller.requests()[0], (Frame{2, command(0xCC)}));

    auto knobs = controller.knobs();
    knobs.identifyWord = 0x0056;
    controller.setKnobs(knobs);
    EXPECT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::Application);
    EXPECT_FALSE(device.readingsEnabled);
}

TEST_F(ApplicationCommands, IdentifyOfAnotherTypeFailsAtOnce) {
    auto knobs = controller.knobs();
    knobs.identifyType = 18;
    controller.setKnobs(knobs);
    const IdentifyAnswer answer = device.requestIdentity();
    EXPECT_EQ(answer.kind, IdentifyAnswer::Kind::ForeignType);
    EXPECT_EQ(answer.type, 18);
    EXPECT_EQ(requestCount(), 1u);
    EXPECT_TRUE(device.readingsEnabled);
}

TEST_F(ApplicationCommands, IdentifyTriesThreeTimesOnUnusableReplies) {
    answerEverythingWith(2, {6, 17, 0x55, 0});
    EXPECT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::NoAnswer);
    EXPECT_EQ(requestCount(), 3u);
    answerEverythingWith(3, {4, 17, 0x55, 0});
    EXPECT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::NoAnswer);
    EXPECT_EQ(requestCount(), 6u);
}

TEST_F(ApplicationCommands, IdentifyInDemoModeStillAsks) {
    device.demoMode = true;
    controller.setMode(sim::ControllerMode::Bootloader);
    EXPECT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::Bootloader);
    EXPECT_EQ(requestCount(), 1u);
}

TEST_F(ApplicationCommands, ReadReadingsResults) {
    CDiag record;
    record.sampleNumber = 42;
    ASSERT_EQ(device.readReadings(record), CLPGDevice::kReadingOk);
    const auto sent = controller.state().lastReadings;
    EXPECT_THAT(record.raw, ElementsAreArray(sent));
    EXPECT_EQ(record.sampleNumber, 42u);
    EXPECT_EQ(controller.requests()[0], (Frame{2, command(0x06)}));
    EXPECT_GE(engineSpeedRpm(record), 690);
    EXPECT_LE(engineSpeedRpm(record), 5000);

    const CDiag before = record;
    answerEverythingWith(2, {4, 0, 0, 0, 0, 0});
    EXPECT_EQ(device.readReadings(record), CLPGDevice::kReadingWrongReply);
    EXPECT_EQ(record, before);

    simulator.setSilent(true);
    EXPECT_EQ(device.readReadings(record), CLPGDevice::kReadingLinkFailed);
    EXPECT_EQ(record, before);
}

// A short readings reply fills what it carries; the rest of the record is zero, not stale.
TEST_F(ApplicationCommands, ShortReadingsReplyZeroesTheRest) {
    CDiag record;
    record.raw.fill(0xEE);
    answerEverythingWith(1, {0x48, 0x0D});
    ASSERT_EQ(device.readReadings(record), CLPGDevice::kReadingOk);
    EXPECT_EQ(record.rpmPeriod(), 3400);
    for (int i = 2; i < CDiag::kPayloadSize; ++i) {
        EXPECT_EQ(record.raw[i], 0) << i;
    }
}

// The demo's reads give what a controller without a map holds, whatever was written before.
TEST_F(ApplicationCommands, DemoModeAnswersWithoutAnyExchange) {
    device.demoMode = true;
    MapCells written;
    written.fill(255);
    MapAxes axes;
    axes.rows.fill(-5);
    device.firmwareVersion = 1;
    device.deviceType = 3;
    EXPECT_TRUE(device.writeSettings({9, 9, 9}, written));
    EXPECT_EQ(device.readSettings(), DeviceSettings{});
    EXPECT_EQ(device.readMap(), MapCells{});
    EXPECT_TRUE(device.writeMap(written));
    EXPECT_TRUE(device.storeMap());
    EXPECT_TRUE(device.clearMapTime());
    EXPECT_TRUE(device.writeMapAxes(axes));
    EXPECT_EQ(device.readMapAxes(), defaultMapAxes());
    EXPECT_TRUE(device.adjustMapRegion({0, 0, 1, 1, MapRegion::kRaise, 1}));
    EXPECT_TRUE(device.readVersion());
    EXPECT_EQ(device.firmwareVersion, 256);
    EXPECT_EQ(device.deviceType, 17);
    EXPECT_EQ(requestCount(), 0u);
    EXPECT_EQ(simulator.counters().received, 0u);
}

TEST_F(ApplicationCommands, FirstDemoReadingEmptiesTheStoreLaterOnesDoNot) {
    device.demoMode = true;
    device.diagData.pushSample(CDiag{});
    CDiag record;
    ASSERT_EQ(device.readReadings(record), CLPGDevice::kReadingOk);
    EXPECT_EQ(device.diagData.sampleCount(), 0);
    EXPECT_EQ(record.sampleNumber, 1u);
    EXPECT_EQ(engineSpeedRpm(record), 2210);
    EXPECT_NEAR(pumpPwmVolts(record), 3.165, 1e-12);
    EXPECT_DOUBLE_EQ(inputVolts(record), 2.0);
    EXPECT_DOUBLE_EQ(outputVolts(record), 2.035);
    EXPECT_FALSE(isWorking(record));

    device.diagData.pushSample(record);
    ASSERT_EQ(device.readReadings(record), CLPGDevice::kReadingOk);
    EXPECT_EQ(record.sampleNumber, 2u);
    EXPECT_EQ(device.diagData.sampleCount(), 1);
    EXPECT_EQ(requestCount(), 0u);
}

TEST(DeviceDefaults, InitialValues) {
    CLPGDevice device;
    EXPECT_EQ(device.firmwareVersion, 0x0100);
    EXPECT_EQ(device.deviceType, 17);
    EXPECT_FALSE(device.pollingRunning);
    EXPECT_FALSE(device.demoMode);
    EXPECT_FALSE(device.connected);
    EXPECT_TRUE(device.readingsEnabled);
    EXPECT_EQ(device.diagData.sampleCount(), 0);
}

// What a controller without a map holds, as the tool shows it before any read.
TEST(DeviceDefaults, AControllerWithoutAMap) {
    const DeviceSettings settings;
    EXPECT_EQ(settings.rpmDivider, 1);
    EXPECT_EQ(settings.noiseDelta, 0);
    EXPECT_EQ(settings.noisePeriod, 0);
    const MapAxes axes = defaultMapAxes();
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(units::rowBreakVolts(axes.rows[k]), 0.96 * (k + 1), 1e-9) << k;
    }
    EXPECT_DOUBLE_EQ(units::rowBreakVolts(axes.rows[15]), 15.36);
    for (int j = 0; j < 15; ++j) {
        EXPECT_DOUBLE_EQ(units::columnBreakRpm(axes.columns[j]), 500 + 300 * j) << j;
    }
}

} // namespace
} // namespace krv
