#pragma once
// A serial device (termios, or a Windows COM port with overlapped I/O). Every operation reports
// failure as an errno value (0 = success) and leaves the wording of errors to its caller.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace krv {

// Line settings; the defaults are the controller's fixed line: 38400 baud, 8N1, no flow control.
struct SerialLineSettings {
    uint32_t baudRate = 38400;
    uint8_t dataBits = 8;
    bool parity = false;
    uint8_t stopBits = 1;
};

// Read time-outs: a read of k bytes ends when k bytes arrived or readTotalConstantMs +
// k x readTotalMultiplierMs passed. Writes give up after the same shape of write time-out.
struct SerialTimeouts {
    uint32_t readIntervalMs = 0; // unused, kept for the record's shape
    uint32_t readTotalMultiplierMs = 1;
    uint32_t readTotalConstantMs = 1000;
    uint32_t writeTotalMultiplierMs = 1;
    uint32_t writeTotalConstantMs = 1000;
};

class SerialLine {
public:
    SerialLine() = default;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;
    ~SerialLine();

    // Opens exclusively (flock, then TIOCEXCL; on Windows no sharing) and asks for low latency
    // where supported.
    int open(const std::string& path);
    // Returns the close result (0 or errno); closing a closed line returns 0.
    int close();
    bool isOpen() const;

    int applySettings(const SerialLineSettings& settings);
    void setTimeouts(const SerialTimeouts& timeouts);
    // count of bytes read / written goes to `done`; a time-out is no error.
    int read(uint8_t* buffer, size_t count, size_t& done);
    int write(const uint8_t* buffer, size_t count, size_t& done);
    // From any thread: a read or write waiting now, and every one after it until resumeWaits,
    // returns at once with what it has, as after its time-out. Whoever stops a thread that
    // may be waiting on the line need not sit out a time-out of a second.
    void interruptWaits();
    void resumeWaits();
    // Waits the time given, or less when waits are (or become) interrupted: a pause between
    // exchanges must not hold up a stop either.
    void pause(std::chrono::milliseconds duration);
    int purgeInput();
    // Line errors since the last call as Windows-style flags (0x01 buffer overrun, 0x02 overrun,
    // 0x04 parity, 0x08 frame, 0x10 break), 0 where the driver keeps no counters, errno when the
    // query fails (EBADF when closed). Safe beside a read or write on another thread.
    uint32_t takeLineErrors();

private:
#ifdef _WIN32
    // An overlapped read or write (the buffer is only read when writing), waited for until it
    // completes, the port's time-out ends it, or interruptWaits cuts it short. Returns errno;
    // `done` gets what was moved.
    int transfer(void* buffer, size_t count, bool writing, size_t& done);
    static void* makeInterruptEvent();

    // Clears the port's error state, keeping its flags for takeLineErrors.
    void keepLineErrors();

    void* handle_ = nullptr;
    void* interrupt_ = makeInterruptEvent(); // manual-reset, set while waits are interrupted
    SerialTimeouts timeouts_;
    std::atomic<uint32_t> keptErrors_{0};
#else
    struct ErrorCounts {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufferOverrun = 0;
    };
    int readErrorCounts(ErrorCounts& counts) const;

    // Waits poll the line together with this; it turns readable while waits are interrupted.
    int waitWaker();
    // Ready (1), time-out or interrupted (0) or failed (-1, errno set).
    int waitFor(short events, int timeoutMs);

    int fd_ = -1;
    std::atomic<int> waker_{-1};
    SerialTimeouts timeouts_;
    std::mutex countsMutex_;
    ErrorCounts lastCounts_;
#endif
};

} // namespace krv
