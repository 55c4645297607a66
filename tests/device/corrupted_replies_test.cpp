// With replies corrupted on the wire, every command either succeeds with the right data or
// reports failure: never success with wrong data, never a crash.

#include "device_on_simulator.h"

#include <random>

namespace krv {
namespace {

using sim::ControllerMode;

class CorruptedReplies : public DeviceOnSimulator {
protected:
    void SetUp() override {
        DeviceOnSimulator::SetUp();
        sim::FaultOptions faults;
        // The wire flips one byte in a struck reply. The replies of one round below come to
        // about 410 bytes in 9 frames, so striking 9 in 10 corrupts about 2 % of the bytes.
        faults.corruptReply.probability = 0.9;
        simulator.setSeed(20261210);
        simulator.setFaults(faults);
    }

    std::mt19937 random{77};
    uint8_t randomByte() { return static_cast<uint8_t>(random()); }

    // Gives the controller fresh data, so a decoded reply cannot match by leftover chance.
    void scrambleController() {
        std::array<uint8_t, 240> map{};
        for (uint8_t& cell : map) {
            cell = randomByte();
        }
        controller.setMap(map);
        std::array<int16_t, 16> rows{};
        for (int16_t& row : rows) {
            row = static_cast<int16_t>(random());
        }
        std::array<uint8_t, 15> columns{};
        for (uint8_t& column : columns) {
            column = randomByte();
        }
        controller.setAxes(rows, columns);
        controller.setSettings({randomByte(), randomByte(), static_cast<uint16_t>(random())});
        auto knobs = controller.knobs();
        knobs.version = static_cast<uint16_t>(random());
        controller.setKnobs(knobs);
    }

    int successes = 0;
    int failures = 0;
    void count(bool ok) { ++(ok ? successes : failures); }
};

TEST_F(CorruptedReplies, ApplicationCommandsNeverSucceedWithWrongData) {
    for (int round = 0; round < 40; ++round) {
        scrambleController();
        auto expected = controller.state();

        if (const auto settings = device.readSettings()) {
            EXPECT_EQ((sim::ControllerSettings{settings->rpmDivider, settings->noiseDelta,
                                               settings->noisePeriod}),
                      expected.settings);
            count(true);
        } else {
            count(false);
        }
        if (device.readVersion()) {
            EXPECT_EQ(device.firmwareVersion, expected.knobs.version);
            EXPECT_EQ(device.deviceType, 17);
            count(true);
        } else {
            count(false);
        }
        if (const auto cells = device.readMap()) {
            ASSERT_EQ(*cells, expected.map) << round;
            count(true);
        } else {
            count(false);
        }
        if (const auto axes = device.readMapAxes()) {
            ASSERT_EQ(axes->rows, expected.rowAxis) << round;
            ASSERT_EQ(axes->columns, expected.columnAxis) << round;
            count(true);
        } else {
            count(false);
        }
        IdentifyAnswer identity = device.requestIdentity();
        if (identity.kind != IdentifyAnswer::Kind::NoAnswer) {
            EXPECT_EQ(identity.kind, IdentifyAnswer::Kind::Application);
            EXPECT_EQ(identity.word, 0x0055);
        }
        CDiag record;
        if (device.readReadings(record) == CLPGDevice::kReadingOk) {
            const auto sent = controller.state().lastReadings;
            EXPECT_TRUE(std::equal(sent.begin(), sent.end(), record.raw.begin())) << round;
        }

        // Writes: a success means the controller holds what the device sent.
        const DeviceSettings settings{randomByte(), randomByte(), static_cast<uint16_t>(random())};
        MapCells cells;
        for (uint8_t& cell : cells) {
            cell = randomByte();
        }
        if (device.writeSettings(settings, cells)) {
            EXPECT_EQ(controller.state().settings,
                      (sim::ControllerSettings{settings.rpmDivider, settings.noiseDelta,
                                               settings.noisePeriod}));
            count(true);
        } else {
            count(false);
        }
        MapAxes axes;
        for (int16_t& row : axes.rows) {
            row = static_cast<int16_t>(random());
        }
        for (uint8_t& column : axes.columns) {
            column = randomByte();
        }
        if (device.writeMapAxes(axes)) {
            const auto state = controller.state();
            ASSERT_EQ(state.rowAxis, axes.rows) << round;
            ASSERT_EQ(state.columnAxis, axes.columns) << round;
            count(true);
        } else {
            count(false);
        }
    }
    // The faults struck (tries were repeated) and commands still got through.
    EXPECT_GT(successes, 0);
    EXPECT_GT(controller.state().counters.requests, 40u * 10u);
}

class CorruptedBootloaderReplies : public CorruptedReplies {
protected:
    CorruptedBootloaderReplies() { controller.setMode(ControllerMode::Bootloader); }

    void SetUp() override {
        CorruptedReplies::SetUp();
        // A lost acknowledgement of a row makes its retry land on memory already written,
        // which the bootloader refuses: at a high rate no image would ever get through.
        sim::FaultOptions faults;
        faults.corruptReply.probability = 0.03;
        simulator.setFaults(faults);
    }
};

TEST_F(CorruptedBootloaderReplies, ProgrammingSucceedsOnlyWithTheWholeImageInPlace) {
    std::vector<uint8_t> image(0x3000 + 272 * 256);
    for (int attempt = 0; attempt < 12; ++attempt) {
        for (uint8_t& byte : image) {
            byte = randomByte();
        }
        const uint16_t blocks = static_cast<uint16_t>(1 + random() % 40);
        uint16_t state = 0;
        if (device.queryBootloader(state)) {
            EXPECT_EQ(state, 0xF7);
        }
        if (!device.programImage(image.data(), blocks)) {
            count(false);
            continue;
        }
        count(true);
        const auto memory = controller.state().program.bytes();
        for (size_t word = 0; word < blocks * 64u; ++word) {
            const size_t target = sim::ProgramMemory::byteOffset(0x1800) + 3 * word;
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(memory[target + k], image[0x3000 + 4 * word + k]) << attempt;
            }
        }
    }
    EXPECT_GT(successes, 0);
    EXPECT_GT(failures, 0);
}

} // namespace
} // namespace krv
