// What the no-connection dialog is told of each port: the search's own findings on simulated
// controllers, paths that are no port, and a port another process holds.

#include "connection_fixture.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "tests/support/port_holder.h"

#include <cerrno>
#include <fstream>

namespace krv::test {
namespace {

constexpr uint8_t kIdentify = 0xCC;

using PortReportTest = ConnectionTest;

std::u16string line(std::u16string_view text, const std::string& path) {
    return fillIn(text, {toU16(path)});
}

TEST_F(PortReportTest, EachPortSaysWhyItGaveNoController) {
    addPort().handler.refuse({kIdentify});
    addAbsentPort();
    auto& foreign = addPort().handler.controller;
    auto knobs = foreign.knobs();
    knobs.identifyType = 0x12;
    foreign.setKnobs(knobs);
    auto& waiting = addPort().handler.controller;
    waiting.setMode(sim::ControllerMode::Bootloader);
    knobs = waiting.knobs();
    knobs.bootloaderState = 0x10;
    waiting.setKnobs(knobs);
    const std::string file = directory_ + "/notes.txt";
    std::ofstream(file) << "not a port";
    table_.push_back(file);
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.path().empty());
    Holder holder(terminal.path(), "minicom");
    ASSERT_TRUE(holder.held());
    table_.push_back(terminal.path());
    publishPorts();
    writeSetting("Last RS nr=1"); // tried twice, reported once

    device_->connect(window_);

    ASSERT_EQ(window_.demoQuestions(), 1);
    const std::vector<std::u16string> expected{
        std::u16string(texts::kPortsTried),
        line(texts::kPortNoAnswer, table_[0]),
        line(texts::kPortMissing, table_[1]),
        line(texts::kPortForeignController, table_[2]),
        line(texts::kPortBootloader, table_[3]),
        line(texts::kPortNotSerial, table_[4]),
        fillIn(texts::kPortHeldBy,
               {toU16(table_[5]), u"minicom (PID " + toU16(std::to_string(holder.pid())) + u")"}),
    };
    EXPECT_EQ(device_->searchReport.lines(), expected);
}

TEST_F(PortReportTest, AnEmptyPortTableSaysHowToNameAPort) {
    publishPorts();
    device_->connect(window_);
    EXPECT_EQ(device_->searchReport.lines(),
              std::vector<std::u16string>{std::u16string(texts::kNoSerialPorts)});
}

static_assert(kSearchedPorts == CLPGConnection::kLastPort, "the report names the search's limit");

// A table longer than the search's reach: every entry past the limit is listed as not tried,
// rather than left out as if it had been.
TEST_F(PortReportTest, EntriesPastTheSearchsLimitAreListedAsNotTried) {
    for (int i = 0; i < 300; ++i) {
        table_.push_back(directory_ + "/ttyNone" + std::to_string(i));
    }
    table_[280].clear(); // an empty entry names nothing
    publishPorts();
    device_->connect(window_);
    const std::vector<std::u16string> lines = device_->searchReport.lines();
    ASSERT_EQ(lines.size(), 1U + kSearchedPorts + 43U);
    EXPECT_EQ(lines[kSearchedPorts], line(texts::kPortMissing, table_[kSearchedPorts - 1]));
    EXPECT_EQ(lines[kSearchedPorts + 1], line(texts::kPortNotTried, table_[kSearchedPorts]));
    EXPECT_EQ(lines.back(), line(texts::kPortNotTried, table_[299]));
}

TEST_F(PortReportTest, ARefusedOpenGivesTheGroupAndTheCure) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.path().empty());
    ASSERT_EQ(::chown(terminal.path().c_str(), static_cast<uid_t>(-1), 20), 0); // dialout
    const PortAttempt refused{1, terminal.path(), PortAttempt::Outcome::Unusable,
                              diagnoseOpenError(terminal.path(), EACCES)};
    const PortAttempt failed{2, "/dev/ttyS0", PortAttempt::Outcome::Unusable,
                             diagnoseOpenError("/dev/ttyS0", EIO)};
    PseudoTerminal rootOnly;
    ASSERT_EQ(::chown(rootOnly.path().c_str(), 0, 0), 0);
    const PortAttempt administrator{3, rootOnly.path(), PortAttempt::Outcome::Unusable,
                                    diagnoseOpenError(rootOnly.path(), EACCES)};

    EXPECT_EQ(portAttemptLine(refused),
              toU16(terminal.path()) +
                  u": brak uprawnień (port należy do grupy dialout); wykonaj „sudo usermod -aG "
                  u"dialout $USER”, a potem zaloguj się ponownie");
    EXPECT_EQ(portAttemptLine(failed), u"/dev/ttyS0: nie można otworzyć (błąd systemu 5)");
    EXPECT_EQ(portAttemptLine(administrator),
              toU16(rootOnly.path()) + u": brak uprawnień (port może otwierać tylko administrator)")
        << "no advice to join the root group";
    // Refused during the search, free when asked why: a passing holder such as ModemManager.
    EXPECT_EQ(portAttemptLine({4, "/dev/ttyACM0", PortAttempt::Outcome::Unusable, {}}),
              u"/dev/ttyACM0: zajęty przez inny program");

    openLanguageFiles(KRV_LANG_DIR);
    setLanguageSlot(kEnglishSlot);
    EXPECT_EQ(portAttemptLine(refused),
              toU16(terminal.path()) +
                  u": permission denied (the port belongs to group dialout); run \"sudo usermod "
                  u"-aG dialout $USER\", then log in again");
    setLanguageSlot(kBuiltInSlot);
    closeLanguageFiles();
}

} // namespace
} // namespace krv::test
