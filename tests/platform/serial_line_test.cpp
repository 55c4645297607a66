// The termios line on a pseudo-terminal pair the test holds both ends of.

#include "platform/serial_line.h"
#include "tests/support/unavailable.h"

#include <cerrno>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace krv {
namespace {

using namespace std::chrono_literals;

class SerialLineOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            KRV_GTEST_UNAVAILABLE("no pseudo-terminal here");
        }
        path_ = name;
        ASSERT_EQ(line_.open(path_), 0);
    }
    void TearDown() override {
        line_.close();
        for (int fd : {master_, slave_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    SerialLine line_;
};

TEST_F(SerialLineOnPty, SettingsGiveARawEightBitLineWithoutFlowControl) {
    ASSERT_EQ(line_.applySettings({}), 0);
    termios attributes{};
    ASSERT_EQ(::tcgetattr(slave_, &attributes), 0);
    EXPECT_EQ(::cfgetospeed(&attributes), B38400);
    EXPECT_EQ(::cfgetispeed(&attributes), B38400);
    EXPECT_EQ(attributes.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(attributes.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(attributes.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(attributes.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(attributes.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(attributes.c_oflag & OPOST, 0u);
}

TEST_F(SerialLineOnPty, RefusesSettingsTheLineCannotTake) {
    EXPECT_EQ(line_.applySettings({12345, 8, false, 1}), EINVAL);
    EXPECT_EQ(line_.applySettings({38400, 9, false, 1}), EINVAL);
    EXPECT_EQ(line_.applySettings({38400, 8, false, 3}), EINVAL);
}

TEST_F(SerialLineOnPty, ASecondOpenerIsKeptOut) {
    SerialLine second;
    EXPECT_EQ(second.open(path_), EWOULDBLOCK);
    EXPECT_FALSE(second.isOpen());
    line_.close();
    EXPECT_EQ(second.open(path_), 0);
}

TEST_F(SerialLineOnPty, AWriteNobodyReadsGivesUpAfterItsTimeOut) {
    ASSERT_EQ(line_.applySettings({}), 0);
    line_.setTimeouts({0, 0, 1000, 0, 100});
    const std::vector<uint8_t> flood(1 << 20, 0x55);
    size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(line_.write(flood.data(), flood.size(), done), 0);
    EXPECT_LT(done, flood.size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST_F(SerialLineOnPty, ReadReturnsWhatArrivedAndFailsOnceTheOtherEndIsGone) {
    ASSERT_EQ(line_.applySettings({}), 0);
    line_.setTimeouts({0, 0, 200, 0, 200});
    const uint8_t sent[] = {1, 2, 3};
    ASSERT_EQ(::write(master_, sent, sizeof sent), 3);
    uint8_t buffer[8] = {};
    size_t done = 0;
    EXPECT_EQ(line_.read(buffer, sizeof buffer, done), 0);
    EXPECT_EQ(done, 3u);

    ::close(master_);
    master_ = -1;
    EXPECT_NE(line_.read(buffer, sizeof buffer, done), 0);
    EXPECT_NE(line_.write(sent, sizeof sent, done), 0);
}

TEST_F(SerialLineOnPty, InterruptedWaitsReturnAtOnceUntilResumed) {
    ASSERT_EQ(line_.applySettings({}), 0);
    line_.setTimeouts({0, 0, 1000, 0, 1000});
    const auto timedRead = [this] {
        uint8_t buffer[4] = {};
        size_t done = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(line_.read(buffer, sizeof buffer, done), 0);
        EXPECT_EQ(done, 0u);
        return std::chrono::steady_clock::now() - start;
    };
    auto waiting = std::async(std::launch::async, timedRead);
    std::this_thread::sleep_for(100ms);
    line_.interruptWaits();
    EXPECT_LT(waiting.get(), 500ms) << "a read already waiting is woken";
    EXPECT_LT(timedRead(), 100ms) << "and so is the next one until the waits resume";

    line_.resumeWaits();
    EXPECT_GE(timedRead(), 900ms);
    const uint8_t sent[] = {1, 2};
    ASSERT_EQ(::write(master_, sent, sizeof sent), 2);
    uint8_t buffer[2] = {};
    size_t done = 0;
    EXPECT_EQ(line_.read(buffer, sizeof buffer, done), 0);
    EXPECT_EQ(done, 2u);
}

TEST_F(SerialLineOnPty, APauseLastsItsTimeUnlessWaitsAreInterrupted) {
    const auto timedPause = [this](std::chrono::milliseconds duration) {
        const auto start = std::chrono::steady_clock::now();
        line_.pause(duration);
        return std::chrono::steady_clock::now() - start;
    };
    EXPECT_GE(timedPause(300ms), 300ms);
    auto pausing = std::async(std::launch::async, timedPause, 5000ms);
    std::this_thread::sleep_for(100ms);
    line_.interruptWaits();
    EXPECT_LT(pausing.get(), 1000ms) << "a pause under way ends";
    EXPECT_LT(timedPause(5000ms), 100ms) << "and so does the next until the waits resume";
    line_.resumeWaits();
    EXPECT_GE(timedPause(200ms), 200ms);
}

} // namespace
} // namespace krv
