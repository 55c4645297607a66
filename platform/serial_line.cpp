#include "platform/serial_line.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace krv {
namespace {

using Clock = std::chrono::steady_clock;

// Windows-style line-error flags, so callers see which kind of error grew.
constexpr uint32_t kErrorBufferOverrun = 0x01;
constexpr uint32_t kErrorOverrun = 0x02;
constexpr uint32_t kErrorParity = 0x04;
constexpr uint32_t kErrorFrame = 0x08;
constexpr uint32_t kErrorBreak = 0x10;

bool unsupported(int error) {
    return error == ENOTTY || error == EINVAL;
}

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

Clock::time_point deadlineFor(size_t count, uint32_t constantMs, uint32_t perByteMs) {
    return Clock::now() + std::chrono::milliseconds(constantMs) +
           std::chrono::milliseconds(perByteMs) * count;
}

speed_t speedFor(uint32_t baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

// USB adapters otherwise hold short replies back for up to 16 ms. Only a wish: a driver that
// refuses it (some answer EPERM to a plain user) still gives a working port.
void requestLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
}

// No hardware handshake: DTR and RTS stay low, as the controller expects of a plain line.
int lowerModemLines(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIC, &lines) != 0 && !unsupported(errno)) {
        return errno;
    }
    return 0;
}

} // namespace

bool SerialLine::isOpen() const {
    return fd_ >= 0;
}

void SerialLine::setTimeouts(const SerialTimeouts& timeouts) {
    timeouts_ = timeouts;
}

SerialLine::~SerialLine() {
    close();
    if (const int waker = waker_.load(); waker >= 0) {
        ::close(waker);
    }
}

int SerialLine::waitWaker() {
    int waker = waker_.load();
    if (waker >= 0) {
        return waker;
    }
    const int made = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (made < 0 || waker_.compare_exchange_strong(waker, made)) {
        return made;
    }
    ::close(made); // another thread made one first
    return waker;
}

void SerialLine::interruptWaits() {
    if (const int waker = waitWaker(); waker >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(waker, &one, sizeof one);
    }
}

void SerialLine::resumeWaits() {
    if (const int waker = waker_.load(); waker >= 0) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t taken = ::read(waker, &count, sizeof count);
    }
}

void SerialLine::pause(std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + duration;
    for (auto left = duration; left.count() > 0;
         left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now())) {
        pollfd waker{waitWaker(), POLLIN, 0};
        const int ready = ::poll(&waker, waker.fd >= 0 ? 1 : 0, static_cast<int>(left.count()));
        if (ready > 0 || (ready < 0 && errno != EINTR)) {
            return;
        }
    }
}

int SerialLine::waitFor(short events, int timeoutMs) {
    pollfd waiters[2] = {{fd_, events, 0}, {waitWaker(), POLLIN, 0}};
    const nfds_t count = waiters[1].fd >= 0 ? 2 : 1;
    const int ready = ::poll(waiters, count, timeoutMs);
    if (ready <= 0) {
        return ready;
    }
    if (count == 2 && (waiters[1].revents & POLLIN) != 0) {
        return 0;
    }
    if ((waiters[0].revents & POLLNVAL) != 0) {
        errno = EBADF;
        return -1;
    }
    return 1;
}

int SerialLine::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno;
    }
    // flock first: unlike TIOCEXCL it also keeps out a second opener running as root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    requestLowLatency(fd);
    fd_ = fd;
    ErrorCounts counts;
    readErrorCounts(counts);
    std::lock_guard lock(countsMutex_);
    lastCounts_ = counts;
    return 0;
}

int SerialLine::close() {
    if (fd_ < 0) {
        return 0;
    }
    // Exclusive mode outlives the descriptor while anyone else holds the device open.
    ::ioctl(fd_, TIOCNXCL);
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
}

int SerialLine::applySettings(const SerialLineSettings& settings) {
    termios attributes{};
    if (::tcgetattr(fd_, &attributes) != 0) {
        return errno;
    }
    const speed_t speed = speedFor(settings.baudRate);
    if (speed == B0 || settings.dataBits < 5 || settings.dataBits > 8 ||
        (settings.stopBits != 1 && settings.stopBits != 2)) {
        return EINVAL;
    }
    ::cfmakeraw(&attributes);
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    attributes.c_cflag |= kSizes[settings.dataBits - 5] | CLOCAL | CREAD;
    if (settings.parity) {
        attributes.c_cflag |= PARENB;
        attributes.c_iflag |= INPCK;
    }
    if (settings.stopBits == 2) {
        attributes.c_cflag |= CSTOPB;
    }
    attributes.c_iflag &= ~(IXON | IXOFF | IXANY);
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = 0;
    if (::cfsetispeed(&attributes, speed) != 0 || ::cfsetospeed(&attributes, speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &attributes) != 0) {
        return errno;
    }
    return lowerModemLines(fd_);
}

int SerialLine::read(uint8_t* buffer, size_t count, size_t& done) {
    done = 0;
    if (fd_ < 0) {
        return EBADF;
    }
    const auto deadline =
        deadlineFor(count, timeouts_.readTotalConstantMs, timeouts_.readTotalMultiplierMs);
    while (done < count) {
        const int ready = waitFor(POLLIN, remainingMs(deadline));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (ready == 0) {
            return 0;
        }
        const ssize_t got = ::read(fd_, buffer + done, count - done);
        if (got > 0) {
            done += static_cast<size_t>(got);
        } else if (got == 0) {
            return EIO; // hang-up: the device is gone
        } else if (errno != EAGAIN && errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int SerialLine::write(const uint8_t* buffer, size_t count, size_t& done) {
    done = 0;
    if (fd_ < 0) {
        return EBADF;
    }
    const auto deadline =
        deadlineFor(count, timeouts_.writeTotalConstantMs, timeouts_.writeTotalMultiplierMs);
    while (done < count) {
        const ssize_t put = ::write(fd_, buffer + done, count - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) {
            return errno;
        }
        const int ready = waitFor(POLLOUT, remainingMs(deadline));
        if (ready == 0) {
            return 0; // write time-out: the count tells
        }
        if (ready < 0 && errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int SerialLine::purgeInput() {
    return ::tcflush(fd_, TCIFLUSH) == 0 ? 0 : errno;
}

int SerialLine::readErrorCounts(ErrorCounts& counts) const {
    serial_icounter_struct raw{};
    if (::ioctl(fd_, TIOCGICOUNT, &raw) != 0) {
        return errno;
    }
    counts = {raw.frame, raw.overrun, raw.parity, raw.brk, raw.buf_overrun};
    return 0;
}

uint32_t SerialLine::takeLineErrors() {
    ErrorCounts now;
    if (const int error = readErrorCounts(now); error != 0) {
        return fd_ >= 0 && unsupported(error) ? 0 : static_cast<uint32_t>(error);
    }
    std::lock_guard lock(countsMutex_);
    uint32_t flags = 0;
    flags |= now.frame != lastCounts_.frame ? kErrorFrame : 0;
    flags |= now.overrun != lastCounts_.overrun ? kErrorOverrun : 0;
    flags |= now.parity != lastCounts_.parity ? kErrorParity : 0;
    flags |= now.brk != lastCounts_.brk ? kErrorBreak : 0;
    flags |= now.bufferOverrun != lastCounts_.bufferOverrun ? kErrorBufferOverrun : 0;
    lastCounts_ = now;
    return flags;
}

} // namespace krv
