// CSerialPort on a real pseudo-terminal: the errors it raises and its read time-out.

#include "tests/link/simulated_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace krv::test {
namespace {

using namespace std::chrono_literals;
using SerialPort = SimulatedPortTest;

TEST_F(SerialPort, OpeningAMissingPortRaisesCode5WithTheErrno) {
    struct Case {
        std::string table;
        int portNumber;
        std::u16string text;
    };
    const Case cases[] = {
        {"/nonexistent/ttyKRV", 1, u"CSerialPort::open(1) - GetLastError()=2"},
        {"/dev/null", 12, u"CSerialPort::open(12) - GetLastError()=2"},
    };
    for (const Case& c : cases) {
        ::setenv("KRV_PORTS", c.table.c_str(), 1);
        CSerialPort missing;
        const auto error = caughtError([&] { missing.open(c.portNumber); });
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code(), 5u);
        EXPECT_EQ(error->text(), c.text);
        EXPECT_EQ(error->line(), 68);
        EXPECT_EQ(error->file(), u"serialport");
        EXPECT_EQ(error->messageForCode(), u"Nie można otworzyć portu RS.");
        EXPECT_FALSE(missing.isOpen());
    }
}

TEST_F(SerialPort, TwoDigitPortNumbersOpen) {
    std::string table;
    for (int n = 1; n < 12; ++n) {
        table += "/nonexistent/ttyKRV" + std::to_string(n) + ":";
    }
    port.close();
    ::setenv("KRV_PORTS", (table + simulator.slavePath()).c_str(), 1);
    port.open(12);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.portNumber(), 12);
}

TEST_F(SerialPort, APortHeldByAnotherProcessDoesNotOpen) {
    port.close();
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const std::string path = simulator.slavePath();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(release[1]);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        const char held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
        (void)!::write(ready[1], &held, 1);
        char done;
        (void)!::read(release[0], &done, 1);
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 1);

    const auto error = caughtError([&] { port.open(1); });
    ::close(release[1]);
    ::waitpid(child, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0]}) {
        ::close(fd);
    }
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), 5u);
    EXPECT_EQ(error->text(), u"CSerialPort::open(1) - GetLastError()=11"); // EWOULDBLOCK
    EXPECT_FALSE(port.isOpen());
    // Free again once the other process let go.
    port.open(1);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(SerialPort, ReadWithNothingArrivingReturnsZeroAfterTheTimeOut) {
    simulator.setSilent(true);
    uint8_t buffer[4];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(buffer, 4), 0u);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 950ms);
    EXPECT_LT(elapsed, 5s);
}

TEST_F(SerialPort, OperationsOnAClosedPortRaiseCode6WithTheirTexts) {
    port.close();
    EXPECT_EQ(port.clearCommError(), 9u); // EBADF
    uint8_t byte = 0;
    struct Case {
        std::function<void()> operation;
        int line;
        std::u16string text;
    };
    const Case cases[] = {
        {[&] { port.read(&byte, 1); }, 167, u"CSerialPort::read() - GetLastError()=9"},
        {[&] { port.write(&byte, 1); }, 183, u"CSerialPort::write() - GetLastError()=9"},
        {[&] { port.setState(); }, 107,
         u"CSerialPort::setState() \n GetLastError() = 9\n clearCommError() = 9"},
        {[&] { port.setTimeout(); }, 152,
         u"CSerialPort::setTimeout() \n GetLastError() = 9\n clearCommError() = 9"},
        {[&] { port.purgeIn(); }, 202,
         u"CSerialPort::purgeIn() \n GetLastError() = 9\n clearCommError() = 9"},
    };
    for (const Case& c : cases) {
        const auto error = caughtError(c.operation);
        ASSERT_NE(error, nullptr) << c.line;
        EXPECT_EQ(error->code(), 6u);
        EXPECT_EQ(error->line(), c.line);
        EXPECT_EQ(error->text(), c.text);
        EXPECT_EQ(error->messageForCode(), u"Nie można wykonać operacji na RS.");
    }
}

TEST_F(SerialPort, OpenPseudoTerminalReportsNoLineErrors) {
    EXPECT_EQ(port.clearCommError(), 0u);
}

TEST_F(SerialPort, PurgeInDropsWhatArrivedBefore) {
    simulator.sendRaw({1, 2, 3});
    std::this_thread::sleep_for(50ms);
    port.purgeIn();
    simulator.sendRaw({9});
    uint8_t buffer[4] = {};
    EXPECT_EQ(port.read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], 9);
}

} // namespace
} // namespace krv::test
