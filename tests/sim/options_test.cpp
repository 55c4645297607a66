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

TEST(SimOptions, RefusesBadArgumentsWithAReason) {
    const std::vector<std::vector<std::string>> cases = {
        {"--baud", "-1"}, {"--baud", "fast"}, {"--drop", "2.5"}, {"--stray", "-0.1"},
        {"--corrupt"},    {"--colour", "1"},  {"--seed", "1e3"}, {"--silent-for", ""},
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
