#include "sim/cli/options.h"

#include <gtest/gtest.h>

namespace krv::sim {
namespace {

bool parse(std::vector<std::string> arguments, SimOptions& options, std::string& error) {
    arguments.insert(arguments.begin(), "krv-sim");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    return parseSimOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(SimOptions, ReadsRatesAsAProbabilityOrEveryNth) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--link", "/tmp/port", "--baud", "38400", "--corrupt", "0.25", "--drop", "3",
                       "--split", "0", "--silent-after", "10", "--silent-for", "2000",
                       "--replug-after", "50", "--seed", "7"},
                      options, error))
        << error;
    EXPECT_EQ(options.link, "/tmp/port");
    EXPECT_EQ(options.baud, 38400u);
    EXPECT_DOUBLE_EQ(options.faults.corruptReply.probability, 0.25);
    EXPECT_EQ(options.faults.corruptReply.every, 0u);
    EXPECT_EQ(options.faults.dropReply.every, 3u);
    EXPECT_EQ(options.faults.splitReply.probability, 0.0);
    EXPECT_EQ(options.faults.silentAfter, 10u);
    EXPECT_EQ(options.faults.silentFor, std::chrono::milliseconds(2000));
    EXPECT_EQ(options.faults.replugAfter, 50u);
    EXPECT_TRUE(options.seeded);
    EXPECT_EQ(options.seed, 7u);
}

TEST(SimOptions, ControllerFlagsTakeNoValue) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--sample-map", "--gas", "--bootloader", "--type", "21"}, options, error))
        << error;
    EXPECT_TRUE(options.sampleMap);
    EXPECT_TRUE(options.knobs.onGas);
    EXPECT_TRUE(options.bootloader);
    EXPECT_EQ(options.knobs.identifyType, 21);
    SimOptions plain;
    ASSERT_TRUE(parse({"--link", "/tmp/port"}, plain, error)) << error;
    EXPECT_FALSE(plain.sampleMap || plain.knobs.onGas || plain.bootloader);
}

TEST(SimOptions, PetrolDriveTakesItsSensorAndTheSeed) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(
        parse({"--drive", "--lag", "0.5", "--overshoot", "0.1", "--noise", "0.02", "--dropouts",
               "0.01", "--spikes", "0", "--ideal-map", "/tmp/ideal.csv", "--seed", "5"},
              options, error))
        << error;
    EXPECT_TRUE(options.petrolDrive);
    EXPECT_DOUBLE_EQ(options.drive.lagSeconds, 0.5);
    EXPECT_DOUBLE_EQ(options.drive.overshoot, 0.1);
    EXPECT_DOUBLE_EQ(options.drive.noiseVolts, 0.02);
    EXPECT_DOUBLE_EQ(options.drive.dropoutRate, 0.01);
    EXPECT_DOUBLE_EQ(options.drive.spikeRate, 0.0);
    EXPECT_EQ(options.idealMap, "/tmp/ideal.csv");
    EXPECT_EQ(options.drive.seed, 5u);
    SimOptions plain;
    ASSERT_TRUE(parse({"--drive"}, plain, error)) << error;
    EXPECT_EQ(plain.drive.lagSeconds, DriveOptions{}.lagSeconds);
}

TEST(SimOptions, RefusesBadArgumentsWithAReason) {
    const std::vector<std::vector<std::string>> cases = {
        {"--baud", "-1"},
        {"--baud", "fast"},
        {"--drop", "2.5"},
        {"--stray", "-0.1"},
        {"--corrupt"},
        {"--colour", "1"},
        {"--seed", "1e3"},
        {"--silent-for", ""},
        // The petrol drive's options mean nothing without it, and take sane values only.
        {"--lag", "0.5"},
        {"--ideal-map", "/tmp/ideal.csv"},
        {"--drive", "--noise", "-0.1"},
        {"--drive", "--lag", "slow"},
        {"--drive", "--overshoot", "nan"},
        {"--drive", "--dropouts", "0.7", "--spikes", "0.6"},
    };
    for (const auto& arguments : cases) {
        SimOptions options;
        std::string error;
        EXPECT_FALSE(parse(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty()) << arguments[0];
    }
}

} // namespace
} // namespace krv::sim
