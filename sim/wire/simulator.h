#pragma once
// The controller's side of the serial link on a pseudo-terminal: it reads request frames,
// checks their checksum, unscrambles them, hands them to the command handler and sends the
// reply with a fresh random key, with optional wire-speed pacing and injected faults
// (sim/wire/reply_faults.h).
// The host reaches it through slavePath() or the link path given to start().

#include "sim/wire/command_handler.h"
#include "sim/wire/frame_encoder.h"
#include "sim/wire/reply_faults.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace krv::sim {

struct WireCounters {
    uint64_t received = 0; // complete frames read
    uint64_t accepted = 0; // checksum right
    uint64_t rejected = 0; // checksum wrong or length byte below 2
};

class CSimulator {
public:
    explicit CSimulator(ICommandHandler& handler);
    ~CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    // Opens the pseudo-terminal (raw mode), links linkPath to its slave when given (replacing a
    // stale link), and starts serving. Throws std::system_error when the terminal cannot be had.
    void start(std::optional<std::string> linkPath = std::nullopt);
    // Stops serving, closes the terminal and removes the link.
    void stop();

    std::string slavePath() const;
    // The path the host should open: the link when one was asked for, else the slave.
    std::string portPath() const;

    // Bytes per second on the wire are baud / 10 (8N1); 0 = no pacing.
    void setBaud(unsigned baud);
    void setFaults(const FaultOptions& faults);
    void setSeed(uint32_t seed);
    // Keys of the replies; random 0..32767 unless replaced.
    void setKeySource(std::function<uint16_t()> source);

    // Test controls.
    void setSilent(bool silent);
    // The next reply is sent as these writes instead of the handler's frame (the request is
    // still read, checked and counted; the handler is not asked).
    void scriptNextReply(std::vector<ReplyChunk> chunks);
    // Closes the terminal 100 ms after the next request has been read, while the host waits
    // for the answer; with reopen, a new terminal appears behind the same link.
    void vanishOnNextRequest(bool reopen);
    // Writes bytes towards the host at once, outside any exchange.
    void sendRaw(const std::vector<uint8_t>& bytes);

    WireCounters counters() const;
    std::vector<uint8_t> lastReceived() const; // wire bytes of the last complete request
    std::vector<uint8_t> lastSent() const;     // wire bytes of the last reply, as written
    // Waits until counters().received reaches n; false on time-out.
    bool waitForReceived(uint64_t n, std::chrono::milliseconds timeout) const;

private:
    void serve();
    void openTerminal();
    void closeTerminal();
    void linkSlave();
    bool readAvailable(int master, std::chrono::steady_clock::time_point& arrival);
    std::optional<Frame> takeRequest(std::chrono::steady_clock::time_point arrival);
    bool writeAll(int fd, const uint8_t* bytes, size_t count);
    void answer(const Frame& request);
    void writePaced(const std::vector<uint8_t>& bytes);
    uint16_t nextKey();
    void waitUntil(std::chrono::steady_clock::time_point when);

    ICommandHandler& handler_;
    std::optional<std::string> linkPath_;

    mutable std::mutex mutex_; // guards everything below that the serving thread shares
    mutable std::condition_variable changed_;
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    unsigned baud_ = 0;
    FaultOptions faults_;
    std::mt19937 random_{0x4B5256};
    std::function<uint16_t()> keySource_;
    bool silent_ = false;
    std::chrono::steady_clock::time_point silentUntil_{};
    std::optional<std::vector<ReplyChunk>> scripted_;
    std::optional<bool> vanish_; // reopen flag of a pending vanish
    WireCounters counters_;
    uint64_t replies_ = 0;
    std::vector<uint8_t> lastReceived_;
    std::vector<uint8_t> lastSent_;

    std::vector<uint8_t> pending_; // bytes read, not yet a whole frame (serving thread only)
    std::chrono::steady_clock::time_point lastByteAt_{};
    std::chrono::steady_clock::time_point wireFreeIn_{};  // pacing of requests
    std::chrono::steady_clock::time_point wireFreeOut_{}; // pacing of replies
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace krv::sim
