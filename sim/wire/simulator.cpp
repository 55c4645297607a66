#include "sim/wire/simulator.h"

#include "link/frame_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace krv::sim {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kServePoll = 20ms;
// A request that stalls this long mid-frame is abandoned, as the controller's receiver does.
constexpr auto kFrameGapLimit = 200ms;
constexpr auto kVanishDelay = 100ms;

[[noreturn]] void throwErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

Clock::duration byteTime(unsigned baud) {
    // 8N1: ten bit times per byte.
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud));
}

} // namespace

CSimulator::CSimulator(ICommandHandler& handler) : handler_(handler) {}

CSimulator::~CSimulator() {
    stop();
}

void CSimulator::start(std::optional<std::string> linkPath) {
    stop();
    linkPath_ = std::move(linkPath);
    {
        std::lock_guard lock(mutex_);
        openTerminal();
    }
    linkSlave();
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
}

void CSimulator::stop() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    closeTerminal();
    if (linkPath_) {
        struct stat info {};
        if (::lstat(linkPath_->c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            ::unlink(linkPath_->c_str());
        }
    }
}

void CSimulator::openTerminal() {
    char name[256] = {};
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        throwErrno("openpty");
    }
    termios attributes{};
    ::tcgetattr(slave, &attributes);
    ::cfmakeraw(&attributes);
    ::tcsetattr(slave, TCSANOW, &attributes);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    // The simulator keeps a slave descriptor of its own, so the host closing and reopening the
    // port does not hang up the line.
    master_ = master;
    slave_ = slave;
    slavePath_ = name;
    pending_.clear();
}

void CSimulator::closeTerminal() {
    if (master_ >= 0) {
        ::close(master_);
        ::close(slave_);
    }
    master_ = slave_ = -1;
}

void CSimulator::linkSlave() {
    if (!linkPath_) {
        return;
    }
    // Replace the link in one step, so the host never sees the path missing.
    const std::string temporary = *linkPath_ + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(slavePath().c_str(), temporary.c_str()) != 0) {
        throwErrno("symlink");
    }
    if (::rename(temporary.c_str(), linkPath_->c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        throwErrno("rename");
    }
}

std::string CSimulator::slavePath() const {
    std::lock_guard lock(mutex_);
    return slavePath_;
}

std::string CSimulator::portPath() const {
    return linkPath_ ? *linkPath_ : slavePath();
}

void CSimulator::setBaud(unsigned baud) {
    std::lock_guard lock(mutex_);
    baud_ = baud;
}

void CSimulator::setFaults(const FaultOptions& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

void CSimulator::setSeed(uint32_t seed) {
    std::lock_guard lock(mutex_);
    random_.seed(seed);
}

void CSimulator::setKeySource(std::function<uint16_t()> source) {
    std::lock_guard lock(mutex_);
    keySource_ = std::move(source);
}

void CSimulator::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

void CSimulator::scriptNextReply(std::vector<ReplyChunk> chunks) {
    std::lock_guard lock(mutex_);
    scripted_ = std::move(chunks);
}

void CSimulator::vanishOnNextRequest(bool reopen) {
    std::lock_guard lock(mutex_);
    vanish_ = reopen;
}

void CSimulator::sendRaw(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    if (master_ >= 0) {
        writeAll(master_, bytes.data(), bytes.size());
    }
}

WireCounters CSimulator::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

std::vector<uint8_t> CSimulator::lastReceived() const {
    std::lock_guard lock(mutex_);
    return lastReceived_;
}

std::vector<uint8_t> CSimulator::lastSent() const {
    std::lock_guard lock(mutex_);
    return lastSent_;
}

bool CSimulator::waitForReceived(uint64_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return counters_.received >= n; });
}

bool CSimulator::writeAll(int fd, const uint8_t* bytes, size_t count) {
    // A host that stopped reading must not hold the simulator (and its lock) for ever.
    const auto deadline = Clock::now() + 2s;
    size_t done = 0;
    while (done < count && !stopping_ && Clock::now() < deadline) {
        const ssize_t put = ::write(fd, bytes + done, count - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
        } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd waiter{fd, POLLOUT, 0};
            ::poll(&waiter, 1, static_cast<int>(kServePoll.count()));
        }
    }
    return done == count;
}

void CSimulator::serve() {
    while (!stopping_) {
        int master;
        {
            std::lock_guard lock(mutex_);
            master = master_;
        }
        if (master < 0) {
            std::this_thread::sleep_for(kServePoll);
            continue;
        }
        pollfd waiter{master, POLLIN, 0};
        if (::poll(&waiter, 1, static_cast<int>(kServePoll.count())) <= 0) {
            continue;
        }
        Clock::time_point arrival;
        if (!readAvailable(master, arrival)) {
            continue;
        }
        while (std::optional<Frame> request = takeRequest(arrival)) {
            answer(*request);
        }
    }
}

bool CSimulator::readAvailable(int master, Clock::time_point& arrival) {
    uint8_t chunk[512];
    const ssize_t got = ::read(master, chunk, sizeof chunk);
    if (got <= 0) {
        // EIO while no host has the slave open; nothing to do but wait.
        std::this_thread::sleep_for(kServePoll);
        return false;
    }
    const Clock::time_point now = Clock::now();
    if (!pending_.empty() && now - lastByteAt_ > kFrameGapLimit) {
        pending_.clear();
    }
    lastByteAt_ = now;
    pending_.insert(pending_.end(), chunk, chunk + got);

    unsigned baud;
    {
        std::lock_guard lock(mutex_);
        baud = baud_;
    }
    arrival = now;
    if (baud != 0) {
        // The last byte of this chunk arrives when the wire has carried every byte before it.
        wireFreeIn_ = std::max(now, wireFreeIn_) + byteTime(baud) * got;
        arrival = wireFreeIn_;
    }
    return true;
}

std::optional<Frame> CSimulator::takeRequest(Clock::time_point arrival) {
    constexpr size_t kPrefix = kFrameHeaderSize + kFrameKeySize;
    while (!pending_.empty()) {
        if (pending_[0] != kFrameStart1 || (pending_.size() > 1 && pending_[1] != kFrameStart2)) {
            pending_.erase(pending_.begin());
            continue;
        }
        if (pending_.size() < kPrefix) {
            return std::nullopt;
        }
        const uint8_t ll = pending_[2];
        const size_t total = kPrefix + ll;
        if (ll >= kFrameChecksumSize && pending_.size() < total) {
            return std::nullopt;
        }
        // Paced, a request is there only once its last byte has crossed the wire.
        waitUntil(arrival);
        std::unique_lock lock(mutex_);
        ++counters_.received;
        if (ll < kFrameChecksumSize) {
            ++counters_.rejected;
            lastReceived_.assign(pending_.begin(), pending_.begin() + kPrefix);
            pending_.erase(pending_.begin(), pending_.begin() + 2);
            changed_.notify_all();
            continue;
        }
        lastReceived_.assign(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(total));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(total));
        const std::vector<uint8_t>& bytes = lastReceived_;
        const auto key = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
        Frame request{bytes[3], {bytes.begin() + kPrefix, bytes.end() - 2}};
        unscramblePayload(request.payload.data(), request.payload.size(), scrambleRotation(key));
        const auto sent = static_cast<uint16_t>((bytes[total - 2] << 8) | bytes[total - 1]);
        const bool valid = sent == frameChecksum(request.payload.data(), request.payload.size(),
                                                 key, bytes[3], ll);
        ++(valid ? counters_.accepted : counters_.rejected);
        changed_.notify_all();
        if (valid) {
            return request;
        }
    }
    return std::nullopt;
}

void CSimulator::answer(const Frame& request) {
    std::optional<std::vector<ReplyChunk>> scripted;
    bool relink = false;
    {
        std::lock_guard lock(mutex_);
        const uint64_t accepted = counters_.accepted;
        const bool replug = replugsAt(faults_, accepted);
        if (vanish_ || replug) {
            // The port goes while the host waits for the answer to a request that got through.
            relink = replug || *vanish_;
            vanish_.reset();
            std::this_thread::sleep_for(kVanishDelay);
            closeTerminal();
            if (relink) {
                openTerminal();
            }
        } else {
            if (silenceStartsAt(faults_, accepted)) {
                silentUntil_ = Clock::now() + faults_.silentFor;
            }
            if (silent_ || Clock::now() < silentUntil_) {
                return;
            }
            scripted.swap(scripted_);
        }
    }
    if (relink) {
        try {
            linkSlave();
        } catch (const std::system_error& error) {
            std::fprintf(stderr, "krv-sim: %s\n", error.what());
        }
    }
    if (master_ < 0 || relink) {
        return;
    }
    std::vector<ReplyChunk> chunks;
    if (scripted) {
        chunks = std::move(*scripted);
    } else {
        std::optional<Frame> reply = handler_.handle(request);
        if (!reply) {
            return;
        }
        std::lock_guard lock(mutex_);
        chunks = faultyReply(faults_, *reply, nextKey(), ++replies_, random_);
    }
    {
        // Recorded before writing: the host may act on the reply before the last write returns.
        std::vector<uint8_t> sent;
        for (const ReplyChunk& chunk : chunks) {
            sent.insert(sent.end(), chunk.bytes.begin(), chunk.bytes.end());
        }
        std::lock_guard lock(mutex_);
        lastSent_ = std::move(sent);
    }
    for (const ReplyChunk& chunk : chunks) {
        waitUntil(Clock::now() + chunk.pauseBefore);
        writePaced(chunk.bytes);
    }
}

uint16_t CSimulator::nextKey() {
    if (keySource_) {
        return keySource_();
    }
    return static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 0x7FFF)(random_));
}

void CSimulator::writePaced(const std::vector<uint8_t>& bytes) {
    unsigned baud;
    int master;
    {
        std::lock_guard lock(mutex_);
        baud = baud_;
        master = master_;
    }
    if (master < 0) {
        return;
    }
    if (baud == 0) {
        writeAll(master, bytes.data(), bytes.size());
        return;
    }
    // About a millisecond of line time per write; each write waits for its bytes' wire time.
    const size_t slice = std::max<size_t>(1, baud / 10 / 1000);
    const Clock::time_point start = std::max(Clock::now(), wireFreeOut_);
    for (size_t done = 0; done < bytes.size() && !stopping_; done += slice) {
        const size_t count = std::min(slice, bytes.size() - done);
        waitUntil(start + byteTime(baud) * (done + count));
        writeAll(master, bytes.data() + done, count);
    }
    wireFreeOut_ = start + byteTime(baud) * bytes.size();
}

void CSimulator::waitUntil(Clock::time_point when) {
    while (!stopping_ && Clock::now() < when) {
        std::this_thread::sleep_for(std::min<Clock::duration>(when - Clock::now(), kServePoll));
    }
}

} // namespace krv::sim
