// The bootloader's commands and the programming of a whole image, against the simulated
// controller waiting in its bootloader.

#include "device_on_simulator.h"

#include <gmock/gmock.h>
#include <random>

namespace krv {
namespace {

using sim::ControllerMode;
using sim::Frame;

constexpr size_t kImageSize = 0x3000 + 272 * 256;

class BootloaderCommands : public DeviceOnSimulator {
protected:
    BootloaderCommands() : DeviceOnSimulator(ControllerMode::Bootloader) {}

    static std::vector<uint8_t> randomImage(size_t size = kImageSize) {
        std::mt19937 random(1234);
        std::vector<uint8_t> image(size);
        for (uint8_t& byte : image) {
            byte = static_cast<uint8_t>(random());
        }
        return image;
    }

    static uint32_t addressOf(const Frame& request) {
        return request.payload[0] | (request.payload[1] << 8) | (request.payload[2] << 16) |
               (uint32_t(request.payload[3]) << 24);
    }
};

TEST_F(BootloaderCommands, FullImageLandsAsThreeOfEveryFourBytesWithEachPageErasedFirst) {
    const auto image = randomImage();
    ASSERT_TRUE(device.programImage(image.data(), 272));

    const auto state = controller.state();
    const auto& memory = state.program.bytes();
    for (size_t word = 0; word < 272 * 64; ++word) {
        const size_t source = 0x3000 + 4 * word;
        const size_t target = sim::ProgramMemory::byteOffset(0x1800) + 3 * word;
        ASSERT_EQ(memory[target], image[source]) << word;
        ASSERT_EQ(memory[target + 1], image[source + 1]) << word;
        ASSERT_EQ(memory[target + 2], image[source + 2]) << word;
    }
    EXPECT_EQ(state.program.eraseCounts().size(), 17u);
    for (const auto& [page, count] : state.program.eraseCounts()) {
        EXPECT_EQ(count, 1u) << page;
    }
    // Each page's erase comes right before its first row.
    std::set<uint32_t> erased;
    for (const Frame& request : controller.requests()) {
        const uint32_t address = addressOf(request);
        if (request.type == 0xF9) {
            erased.insert(address);
        } else {
            ASSERT_EQ(request.type, 0xF7);
            ASSERT_EQ(request.payload.size(), 196u);
            ASSERT_TRUE(erased.count(address & ~0x7FFu)) << std::hex << address;
        }
    }
    EXPECT_EQ(requestCount(), 272u + 17u);
}

TEST_F(BootloaderCommands, PackedRowDropsEveryFourthByte) {
    std::vector<uint8_t> image(kImageSize);
    for (size_t i = 0; i < 256; ++i) {
        image[0x3000 + i] = static_cast<uint8_t>(i);
    }
    ASSERT_TRUE(device.programImage(image.data(), 1));
    const auto requests = controller.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], (Frame{0xF9, {0x00, 0x18, 0, 0}}));
    EXPECT_EQ(requests[1].type, 0xF7);
    EXPECT_THAT(std::vector<uint8_t>(requests[1].payload.begin(), requests[1].payload.begin() + 10),
                ::testing::ElementsAre(0x00, 0x18, 0, 0, 0, 1, 2, 4, 5, 6));
    EXPECT_EQ(requests[1].payload[195], 254);
}

TEST_F(BootloaderCommands, NoBlocksSendNothing) {
    EXPECT_TRUE(device.programImage(nullptr, 0));
    EXPECT_EQ(simulator.counters().received, 0u);
}

TEST_F(BootloaderCommands, TooManyBlocksStopAtTheEndOfTheApplicationArea) {
    // 300 blocks would need a larger buffer, but no byte past row 272 is ever read.
    const auto image = randomImage();
    std::vector<std::pair<int, int>> progress;
    ASSERT_TRUE(device.programImage(
        image.data(), 300, [&](int written, int total) { progress.emplace_back(written, total); }));
    const auto requests = controller.requests();
    EXPECT_EQ(requests.size(), 272u + 17u);
    EXPECT_EQ(addressOf(requests.back()), 0x9F80u);
    // Progress counts the rows that go out, not the blocks asked for.
    ASSERT_EQ(progress.size(), 272u);
    EXPECT_EQ(progress.front(), (std::pair<int, int>{1, 272}));
    EXPECT_EQ(progress.back(), (std::pair<int, int>{272, 272}));
}

TEST_F(BootloaderCommands, FailedEraseOrWriteEndsProgrammingAtOnce) {
    const auto image = randomImage();
    answerEverythingWith(2, {0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(device.programImage(image.data(), 272));
    EXPECT_EQ(requestCount(), 3u); // the first erase, three tries
    EXPECT_EQ(controller.requests()[2].type, 0xF9);
}

TEST_F(BootloaderCommands, RowsOutsideTheAreaOrNotErasedAreRefused) {
    const std::vector<uint8_t> row(192, 0xAB);
    EXPECT_FALSE(device.writeRow(0x1800, row.data())); // not erased since start
    EXPECT_EQ(requestCount(), 3u);
    EXPECT_TRUE(device.erasePage(0x1800));
    EXPECT_TRUE(device.writeRow(0x1800, row.data()));
    EXPECT_FALSE(device.writeRow(0x1800, row.data())); // written since the erase
    EXPECT_FALSE(device.writeRow(0x1780, row.data()));
    EXPECT_FALSE(device.writeRow(0xA000, row.data()));
    EXPECT_FALSE(device.erasePage(0x1000));
    EXPECT_EQ(controller.requests()[3], (Frame{0xF9, {0x00, 0x18, 0, 0}}));
}

TEST_F(BootloaderCommands, QueryReportsTheReadyState) {
    uint16_t state = 0;
    EXPECT_TRUE(device.queryBootloader(state));
    EXPECT_EQ(state, 0xF7);
    EXPECT_EQ(controller.requests()[0], (Frame{2, {0xC4, 0, 0, 0, 0, 0}}));
}

TEST_F(BootloaderCommands, QueryOfABootloaderNotReadySendsEndProgramming) {
    auto knobs = controller.knobs();
    knobs.bootloaderState = 0xF6;
    controller.setKnobs(knobs);
    uint16_t state = 0;
    EXPECT_FALSE(device.queryBootloader(state));
    EXPECT_EQ(state, 0xF6);
    const auto requests = controller.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1], (Frame{2, {0x60, 0, 0, 0, 0, 0}}));
    EXPECT_TRUE(controller.state().programmingEnded);
}

TEST_F(BootloaderCommands, QueryWithoutUsableReply) {
    uint16_t state = 0;
    answerEverythingWith(2, {5, 0xF7, 0, 0, 0, 0});
    EXPECT_FALSE(device.queryBootloader(state));
    EXPECT_EQ(state, 0xFFFF);
    EXPECT_EQ(requestCount(), 1u); // a status reply ends the tries

    answerEverythingWith(1, {4, 0xF7});
    state = 0;
    EXPECT_FALSE(device.queryBootloader(state));
    EXPECT_EQ(state, 0xFFFF);
    EXPECT_EQ(requestCount(), 4u);

    answerEverythingWith(2, {4}); // no state byte: the checksum behind it is not a state
    EXPECT_FALSE(device.queryBootloader(state));
    EXPECT_EQ(state, 0xFFFF);
}

TEST_F(BootloaderCommands, EndAndStartFailOnTheFirstStatusReplyThatIsNotFour) {
    answerEverythingWith(2, {5, 0, 0, 0, 0, 0});
    EXPECT_FALSE(device.endProgramming());
    EXPECT_EQ(requestCount(), 1u);
    EXPECT_FALSE(device.startApplication());
    EXPECT_EQ(requestCount(), 2u);
    answerEverythingWith(9, {4});
    EXPECT_FALSE(device.endProgramming());
    EXPECT_EQ(requestCount(), 5u);
}

TEST_F(BootloaderCommands, StartApplicationLeavesTheBootloader) {
    EXPECT_TRUE(device.endProgramming());
    EXPECT_TRUE(device.startApplication());
    EXPECT_EQ(controller.state().mode, ControllerMode::Application);
    EXPECT_EQ(controller.requests()[1], (Frame{2, {0x0A, 0, 0, 0, 0, 0}}));
}

// Bootloader commands ignore demo mode: they always reach the controller.
TEST_F(BootloaderCommands, DemoModeIsNotConsulted) {
    device.demoMode = true;
    uint16_t state = 0;
    EXPECT_TRUE(device.queryBootloader(state));
    EXPECT_EQ(requestCount(), 1u);
}

using EnterBootloader = DeviceOnSimulator;

TEST_F(EnterBootloader, SendsTheAccessCodeOnceAndTheApplicationHandsOver) {
    ASSERT_TRUE(device.enterBootloader());
    const std::string code = "QK318274";
    EXPECT_EQ(controller.requests()[0], (Frame{0xF6, {code.begin(), code.end()}}));
    EXPECT_EQ(controller.state().mode, ControllerMode::Bootloader);
    EXPECT_EQ(device.requestIdentity().kind, IdentifyAnswer::Kind::Bootloader);
}

TEST_F(EnterBootloader, OneTryOnly) {
    answerEverythingWith(2, {0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(device.enterBootloader());
    EXPECT_EQ(requestCount(), 1u);
}

} // namespace
} // namespace krv
