// The port diagnosis on real cases: paths that are not there or are no terminal, a free
// pseudo-terminal, one held by another process, and the refusals only a plain user meets.

#include "platform/port_diagnosis.h"
#include "platform/serial_line.h"
#include "tests/support/port_holder.h"
#include "tests/support/temp_folder.h"

#include <cerrno>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace krv {
namespace {

using test::Holder;
using test::PseudoTerminal;

TEST(PortDiagnosis, PathsThatAreNoTerminal) {
    test::TempFolder folder;
    const std::string file = (folder.path() / "ttyUSB0").string();
    std::ofstream(file) << "not a device";
    const struct {
        std::string path;
        PortStatus status;
    } cases[] = {
        {(folder.path() / "ttyUSB9").string(), PortStatus::Missing},
        {file, PortStatus::NotTerminal},
        {folder.path().string(), PortStatus::NotTerminal},
        {"/dev/null", PortStatus::NotTerminal}, // a character device, but no terminal
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const PortDiagnosis diagnosis = diagnosePort(c.path);
        EXPECT_EQ(diagnosis.status, c.status);
        EXPECT_TRUE(diagnosis.holders.empty());
    }
    EXPECT_EQ(diagnosePort(cases[0].path).error, ENOENT);
}

TEST(PortDiagnosis, AFreePseudoTerminalIsOpenableAndStaysFree) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.path().empty());
    EXPECT_EQ(diagnosePort(terminal.path()).status, PortStatus::Openable);
    SerialLine line;
    EXPECT_EQ(line.open(terminal.path()), 0) << "the diagnosis must not leave the port locked";
}

TEST(PortDiagnosis, ATerminalHeldByAnotherProcessNamesThatProcess) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.path().empty());
    test::TempFolder folder;
    const std::string link = (folder.path() / "krv-port").string();
    ASSERT_EQ(::symlink(terminal.path().c_str(), link.c_str()), 0);
    Holder holder(terminal.path(), "portholder");
    ASSERT_TRUE(holder.held());

    // Through the device itself, a link to it, and from the error a plain user's open gets
    // from TIOCEXCL (root passes TIOCEXCL and meets the held lock instead).
    for (const PortDiagnosis& diagnosis :
         {diagnosePort(terminal.path()), diagnosePort(link), diagnoseOpenError(link, EBUSY)}) {
        EXPECT_EQ(diagnosis.status, PortStatus::Busy);
        ASSERT_EQ(diagnosis.holders.size(), 1u);
        EXPECT_EQ(diagnosis.holders[0].pid, holder.pid());
        EXPECT_EQ(diagnosis.holders[0].name, "portholder");
    }
    SerialLine line;
    EXPECT_NE(line.open(terminal.path()), 0) << "the tool's own open must agree";
}

TEST(PortDiagnosis, ARefusedOpenNamesTheGroupThatOwnsTheDevice) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.path().empty());
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    const gid_t dialoutId = dialout->gr_gid;
    constexpr gid_t kUnnamedGroup = 54321;
    const struct {
        gid_t owner;
        int error;
        std::string group;
    } cases[] = {
        {dialoutId, EACCES, "dialout"},
        {dialoutId, EPERM, "dialout"},
        {kUnnamedGroup, EACCES, "54321"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.group);
        ASSERT_EQ(::chown(terminal.path().c_str(), static_cast<uid_t>(-1), c.owner), 0);
        const PortDiagnosis diagnosis = diagnoseOpenError(terminal.path(), c.error);
        EXPECT_EQ(diagnosis.status, PortStatus::NoPermission);
        EXPECT_EQ(diagnosis.error, c.error);
        EXPECT_EQ(diagnosis.group, c.group);
    }
}

TEST(PortDiagnosis, OtherOpenErrorsKeepTheirNumber) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.path().empty());
    const PortDiagnosis diagnosis = diagnoseOpenError(terminal.path(), EIO);
    EXPECT_EQ(diagnosis.status, PortStatus::OtherError);
    EXPECT_EQ(diagnosis.error, EIO);
}

} // namespace
} // namespace krv
