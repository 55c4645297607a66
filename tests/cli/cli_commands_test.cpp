// krv-cli's commands against the simulated controller on a pseudo-terminal: each command's
// main path, its errors and the exit codes scripts rely on.

#include "device/protocol_codes.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/port_holder.h"

#include <algorithm>
#include <fstream>

namespace krv::test {
namespace {

constexpr uint8_t kSettingsFrame = 3;
constexpr uint8_t kMapFrame = 9;
constexpr uint8_t kReadMap = protocol::kReadMap;

std::string polish(std::u16string_view text) {
    return toUtf8(text);
}

using CliCommands = CliTest;

struct UsageCase {
    std::vector<std::string> args;
    std::string said; // part of the line on stderr
};

// A usage fault must never reach the controller: a script that typed a setting, a block or an
// operation wrong must not half-run.
TEST_F(CliCommands, UsageFaultsExitTwoAndSendNothing) {
    const UsageCase cases[] = {
        {{}, "Brak polecenia"},
        {{"bogus"}, "Nieznane polecenie: bogus"},
        {{"info", "--bogus"}, "Nieznana opcja „--bogus”."},
        {{"info", "--yes"}, "Nieznana opcja „--yes”."},
        {{"info", "extra"}, "Niewłaściwe argumenty polecenia info"},
        {{"info", "--port"}, "Opcja --port wymaga wartości."},
        {{"info", "--port", ""}, "Opcja --port wymaga wartości."},
        {{"--port", "7", "info"}, "Nie ma portu 7: tabela portów ma ich 1."},
        {{"edit", "--block", "1:1", "--set", "5.2"}, "Wartość 5.2 poza zakresem 0.00..5.10"},
        {{"edit", "--block", "1:1", "--set", "1e30"}, "1e30"},
        {{"edit", "--block", "1:1", "--set", "-0.02"}, "Wartość -0.02 poza zakresem 0.00..5.10"},
        {{"set"}, "Niewłaściwe argumenty polecenia set"},
        {{"set", "rpm-divider=0"}, "Wartość rpm-divider=0 poza zakresem 1..200"},
        {{"set", "rpm-divider=201"}, "poza zakresem 1..200"},
        {{"set", "noise-delta=256"}, "poza zakresem 0..255"},
        {{"set", "noise-period=50001"}, "poza zakresem 0..50000"},
        {{"set", "noise-delta=-1"}, "poza zakresem 0..255"},
        {{"set", "noise-delta=12x"}, "Niewłaściwa wartość: noise-delta=12x"},
        {{"set", "noise-delta="}, "Niewłaściwa wartość"},
        {{"set", "rpm-divider=5", "gain=3"}, "Niewłaściwa wartość: gain=3"},
        {{"flash"}, "Niewłaściwe argumenty polecenia flash"},
        {{"log", "--seconds", "soon"}, "Niewłaściwa wartość: soon"},
        {{"log", "--seconds=0"}, "Niewłaściwa wartość: 0"},
        {{"log", "--seconds=-3"}, "Niewłaściwa wartość: -3"},
        {{"edit", "--set", "1"}, "Brak opcji --block"},
        {{"edit", "--block"}, "Opcja --block wymaga wartości."},
        {{"edit", "--block", "0:1-2:2", "--set", "1"}, "Niewłaściwy blok „0:1-2:2”"},
        {{"edit", "--block", "1:1-2:16", "--smooth"}, "Niewłaściwy blok „1:1-2:16”"},
        {{"edit", "--block", "rows 1 to 3", "--smooth"}, "Niewłaściwy blok „rows 1 to 3”"},
        {{"edit", "--block", "1:1-2:2"}, "Podaj dokładnie jedną operację"},
        {{"edit", "--block", "1:1-2:2", "--set", "1", "--smooth"},
         "Podaj dokładnie jedną operację"},
        {{"edit", "--block", "1:1-2:2", "--add", "1", "--scale", "90"},
         "Podaj dokładnie jedną operację"},
        {{"edit", "--block", "1:1-2:2", "--set", "x"}, "Niewłaściwa wartość: x"},
        {{"edit", "--block", "1:1-2:2", "--scale", "1e3"}, "Niewłaściwa wartość: 1e3"},
        {{"edit", "--block", "1:1-2:2", "--add", "nan"}, "Niewłaściwa wartość: nan"},
        {{"edit", "--block", "1:1-2:2", "--interpolate=diagonal"}, "Niewłaściwa wartość: diagonal"},
        {{"edit", "--block", "1:1-2:2", "--smooth=yes"}, "Nieznana opcja „--smooth=yes”."},
        {{"edit", "--block", "1:1-2:2", "--smooth", "extra"},
         "Niewłaściwe argumenty polecenia edit"},
        {{"info", "--smooth"}, "Nieznana opcja „--smooth”."},
        {{"clear-map", "--block", "1:1"}, "Nieznana opcja „--block”."},
    };
    for (const UsageCase& usage : cases) {
        const CliRun run = cli(usage.args);
        EXPECT_EQ(run.code, cli::kExitUsage) << usage.said;
        EXPECT_NE(run.err.find(usage.said), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("krv-cli [OPCJE] POLECENIE"), std::string::npos) << usage.said;
    }
    EXPECT_EQ(controller().requests().size(), 0U);
}

TEST_F(CliCommands, HelpAndVersionExitZeroWithoutAController) {
    port().simulator.setSilent(true);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--help"}, {"log", "--help"}, {"--version"}}) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, cli::kExitDone);
        EXPECT_FALSE(run.out.empty());
    }
    EXPECT_NE(cli({"log", "--help"}).out.find("--seconds N"), std::string::npos);
    EXPECT_EQ(cli({"log", "--help"}).out.find("--dry-run"), std::string::npos);
    EXPECT_EQ(cli({"--version"}).out, "krv-cli 1.12\n");
    EXPECT_EQ(controller().requests().size(), 0U);
}

TEST_F(CliCommands, InfoPrintsTheControllersIdentityAndSettings) {
    controller().setSettings({42, 17, 31000});
    auto knobs = controller().knobs();
    knobs.version = 0x0107;
    knobs.identifyWord = 0x0011; // readings disabled
    controller().setKnobs(knobs);
    const CliRun run = cli({"info"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(run.out, "device-type=17\nfirmware-version=263\nreadings-enabled=0\n"
                       "rpm-divider=42\nnoise-delta=17\nnoise-period=31000\n");
}

TEST_F(CliCommands, InfoInDemoModeNeedsNoPort) {
    ::setenv("KRV_PORTS", "", 1);
    const CliRun run = cli({"--demo", "info"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_NE(run.out.find("firmware-version=256\n"), std::string::npos);
}

TEST_F(CliCommands, SetChangesExactlyTheNamedSettingsAndKeepsTheMap) {
    std::array<uint8_t, 240> map{};
    for (size_t i = 0; i < map.size(); ++i) {
        map[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    controller().setMap(map);
    controller().setSettings({9, 80, 1200});
    const CliRun run = cli({"set", "noise-delta=255", "noise-period=50000"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    const sim::ControllerState state = controller().state();
    EXPECT_EQ(state.settings, (sim::ControllerSettings{9, 255, 50000}));
    EXPECT_EQ(state.map, map);
    EXPECT_EQ(requestsOfType(kSettingsFrame), 1U);
}

// The settings travel with the whole map behind them: when the map cannot be read fresh, a
// map of zeros (or an old one) must not go out in its place.
TEST_F(CliCommands, SetWritesNothingWhenTheMapCannotBeRead) {
    std::array<uint8_t, 240> map{};
    map.fill(77);
    controller().setMap(map);
    port().handler.refuse({kReadMap});
    const CliRun run = cli({"set", "rpm-divider=5"});
    EXPECT_EQ(run.code, cli::kExitFailed);
    EXPECT_NE(run.err.find(polish(texts::kReadSettingsFailed)), std::string::npos);
    EXPECT_EQ(requestsOfType(kSettingsFrame), 0U);
    EXPECT_EQ(requestsOfType(kMapFrame), 0U);
    EXPECT_EQ(controller().state().map, map);
}

TEST_F(CliCommands, ClearMapClearsAndStoresTheControllersMap) {
    std::array<uint8_t, 240> map{};
    map.fill(50);
    controller().setMap(map);
    const CliRun run = cli({"clear-map"});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(controller().state().map, (std::array<uint8_t, 240>{}));
    EXPECT_EQ(controller().state().counters.mapStores, 1U);
}

TEST_F(CliCommands, ClearMapRefusedByTheControllerFails) {
    port().handler.refuse({protocol::kClearMapTime});
    const CliRun run = cli({"clear-map"});
    EXPECT_EQ(run.code, cli::kExitFailed);
    // Said with what the controller holds after it.
    EXPECT_NE(run.err.find(polish(fillIn(texts::kWriteNotTakenRestored, {texts::kWritePartMap}))),
              std::string::npos)
        << run.err;
    EXPECT_EQ(controller().state().counters.mapStores, 0U);
}

struct NoControllerCase {
    const char* what;
    std::vector<std::string> args;
    std::string said;
};

TEST_F(CliCommands, NoControllerExitsOneSayingWhereItLooked) {
    port().simulator.setSilent(true);
    const std::string other = directory_ + "/nothing-here";
    const NoControllerCase cases[] = {
        {"a silent controller on the only port", {"info"}, polish(texts::kNoControllerOnAnyPort)},
        {"a named port that does not exist",
         {"--port", other, "info"},
         "Brak sterownika na porcie " + other},
    };
    for (const NoControllerCase& test : cases) {
        const CliRun run = cli(test.args);
        EXPECT_EQ(run.code, cli::kExitFailed) << test.what;
        EXPECT_EQ(run.err.find(test.said), 0U) << test.what << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << test.what;
    }
    ::setenv("KRV_PORTS", "", 1);
    const CliRun none = cli({"info"});
    EXPECT_EQ(none.code, cli::kExitFailed);
    EXPECT_EQ(none.err,
              polish(texts::kNoControllerOnAnyPort) + "\n" + polish(texts::kNoSerialPorts) + "\n");

    // A table past the search's reach: its last entries are said to be left out, not omitted.
    std::string table;
    for (int i = 0; i < 260; ++i) {
        table += (i == 0 ? "" : ":") + directory_ + "/none" + std::to_string(i);
    }
    ::setenv("KRV_PORTS", table.c_str(), 1);
    const CliRun longTable = cli({"info"});
    EXPECT_EQ(longTable.code, cli::kExitFailed);
    const std::string lastLine = polish(texts::kPortNotTried);
    EXPECT_NE(longTable.err.find(directory_ + "/none259" + lastLine.substr(2) + "\n"),
              std::string::npos)
        << longTable.err;
    EXPECT_EQ(std::count(longTable.err.begin(), longTable.err.end(), '\n'), 1 + 1 + 260);
}

// --port narrows the search to one port and keeps its number, so the window's remembered
// port stays right.
TEST_F(CliCommands, PortOptionTalksToThatPortOnlyAndRemembersItsNumber) {
    addPort();
    publishPorts();
    for (const std::string& named : {std::string("2"), table_[1]}) {
        clearPortsTried();
        const CliRun run = cli({"--port", named, "info"});
        EXPECT_EQ(run.code, cli::kExitDone) << run.err;
        EXPECT_EQ(portsTried(), std::vector<int>{2}) << named;
        EXPECT_EQ(lastPortSetting(), "Last RS nr=2");
    }
    // The table itself is never rewritten.
    EXPECT_STREQ(std::getenv("KRV_PORTS"), (table_[0] + ":" + table_[1]).c_str());
}

// A path holding ':' (as every /dev/serial/by-path name does) is one path: the command talks
// to it and to nothing else, even where the table holds the path before the ':'.
TEST_F(CliCommands, PortPathWithAColonIsThatPathAlone) {
    std::array<uint8_t, 240> map{};
    map.fill(77);
    controller().setMap(map);
    SimulatedPort named(
        9, [](int) {}, table_[0] + ":b");
    named.handler.controller.setMap(map);

    const CliRun run = cli({"--port", table_[0] + ":b", "clear-map"});

    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(named.handler.controller.state().map, (std::array<uint8_t, 240>{}));
    EXPECT_EQ(controller().state().map, map);
    EXPECT_EQ(controller().state().counters.requests, 0U);
}

// A controller that stops answering in the middle of a command: the command fails after its
// tries, with the message the window gives, and never reports success.
TEST_F(CliCommands, ControllerSilentMidCommandFails) {
    sim::FaultOptions faults;
    faults.silentAfter = 5; // identify, version, settings, map and axes of the connection
    faults.silentFor = std::chrono::minutes(1);
    port().simulator.setFaults(faults);
    const CliRun run = cli({"clear-map"});
    EXPECT_EQ(run.code, cli::kExitFailed);
    EXPECT_NE(run.err.find(polish(texts::kReadSettingsFailed)), std::string::npos) << run.err;
    EXPECT_EQ(controller().state().counters.mapStores, 0U);
}

TEST_F(CliCommands, PortsListsTheTableAndProbesWhatAnswers) {
    addAbsentPort();
    addPort();
    publishPorts();
    ports_[1]->handler.controller.setMode(sim::ControllerMode::Bootloader);
    const CliRun plain = cli({"ports"});
    EXPECT_EQ(plain.code, cli::kExitDone);
    EXPECT_EQ(plain.out, "1\t" + table_[0] + "\tobecny\tmożna otworzyć\n2\t" + table_[1] +
                             "\tnieobecny\tnie ma takiego urządzenia\n3\t" + table_[2] +
                             "\tobecny\tmożna otworzyć\n");
    EXPECT_EQ(controller().requests().size(), 0U);

    const CliRun probed = cli({"ports", "--probe"});
    EXPECT_EQ(probed.code, cli::kExitDone);
    EXPECT_EQ(probed.out, "1\t" + table_[0] + "\tobecny\tsterownik typu 17, firmware 256\n2\t" +
                              table_[1] + "\tnieobecny\tnie ma takiego urządzenia\n3\t" +
                              table_[2] + "\tobecny\tsterownik czeka w programie ładującym\n");
    EXPECT_EQ(lastPortSetting(), "") << "probing remembers no port";
}

// What keeps a fitter from a port, told in the table: another program holding it, or an entry
// that is no serial device at all.
TEST_F(CliCommands, PortsSaysWhyAPortCannotBeOpened) {
    PseudoTerminal held;
    Holder holder(held.path(), "modem-mgr");
    ASSERT_TRUE(holder.held());
    const std::string regular = directory_ + "/plain-file";
    std::ofstream(regular) << "not a port";
    table_ = {held.path(), regular};
    publishPorts();
    const CliRun run = cli({"ports", "--probe"});
    EXPECT_EQ(run.code, cli::kExitDone);
    EXPECT_EQ(run.out, "1\t" + held.path() +
                           "\tobecny\tzajęty przez inny program: modem-mgr (PID " +
                           std::to_string(holder.pid()) + ")\n2\t" + regular +
                           "\tnieobecny\tto nie jest port szeregowy\n");
}

} // namespace
} // namespace krv::test
