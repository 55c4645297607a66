#include "platform/serial_line.h"

#include "platform/windows/system.h"

#include <cerrno>

namespace krv {
namespace {

using windows::Handle;

// Line-error flags as ClearCommError gives them (CE_RXOVER ... CE_BREAK).
constexpr uint32_t kLineErrorFlags = CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK;

bool validBaud(uint32_t baud) {
    for (const uint32_t known : {1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        if (baud == known) {
            return true;
        }
    }
    return false;
}

// How long a transfer may take before it is given up even if the driver ignores the port's
// time-outs: theirs and a second more.
DWORD transferLimitMs(size_t count, uint32_t constantMs, uint32_t perByteMs) {
    const uint64_t limit = uint64_t{constantMs} + uint64_t{perByteMs} * count + 1000;
    return limit < INFINITE ? static_cast<DWORD>(limit) : INFINITE - 1;
}

} // namespace

SerialLine::~SerialLine() {
    close();
    if (interrupt_ != nullptr) {
        CloseHandle(interrupt_);
    }
}

bool SerialLine::isOpen() const {
    return handle_ != nullptr;
}

int SerialLine::open(const std::string& path) {
    close();
    if (interrupt_ == nullptr) {
        return ENOMEM; // the system could not even make an event
    }
    // No sharing: a port held by another program is refused with ERROR_ACCESS_DENIED.
    HANDLE handle = CreateFileW(windows::comDeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A port another program holds answers "access denied"; the callers word EBUSY.
        return error == ERROR_ACCESS_DENIED ? EBUSY : windows::errnoFrom(error);
    }
    handle_ = handle;
    // A USB adapter's latency timer (16 ms by default) is a driver setting on Windows, kept in
    // the adapter's own properties: nothing a program can ask for when it opens the port.
    setTimeouts(timeouts_);
    DWORD errors = 0;
    ClearCommError(handle_, &errors, nullptr);
    keptErrors_ = 0;
    return 0;
}

int SerialLine::close() {
    if (handle_ == nullptr) {
        return 0;
    }
    const BOOL closed = CloseHandle(handle_);
    handle_ = nullptr;
    return closed ? 0 : windows::lastErrno();
}

void SerialLine::setTimeouts(const SerialTimeouts& timeouts) {
    timeouts_ = timeouts;
    if (handle_ == nullptr) {
        return;
    }
    COMMTIMEOUTS port{};
    port.ReadIntervalTimeout = timeouts.readIntervalMs;
    port.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplierMs;
    port.ReadTotalTimeoutConstant = timeouts.readTotalConstantMs;
    port.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplierMs;
    port.WriteTotalTimeoutConstant = timeouts.writeTotalConstantMs;
    SetCommTimeouts(handle_, &port);
}

int SerialLine::applySettings(const SerialLineSettings& settings) {
    if (handle_ == nullptr) {
        return EBADF;
    }
    if (!validBaud(settings.baudRate) || settings.dataBits < 5 || settings.dataBits > 8 ||
        (settings.stopBits != 1 && settings.stopBits != 2)) {
        return EINVAL;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) {
        return windows::lastErrno();
    }
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.dataBits;
    dcb.Parity = settings.parity ? EVENPARITY : NOPARITY;
    dcb.fParity = settings.parity ? TRUE : FALSE;
    dcb.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    // No handshake of any kind: DTR and RTS stay low, as the controller expects.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = TRUE;
    return SetCommState(handle_, &dcb) ? 0 : windows::lastErrno();
}

void SerialLine::keepLineErrors() {
    DWORD errors = 0;
    if (ClearCommError(handle_, &errors, nullptr)) {
        keptErrors_ |= errors & kLineErrorFlags;
    }
}

void* SerialLine::makeInterruptEvent() {
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

int SerialLine::transfer(void* buffer, size_t count, bool writing, size_t& done) {
    done = 0;
    if (handle_ == nullptr) {
        return EBADF;
    }
    if (count == 0 || WaitForSingleObject(interrupt_, 0) == WAIT_OBJECT_0) {
        return 0;
    }
    Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event.valid()) {
        return windows::lastErrno();
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const DWORD limit = writing ? transferLimitMs(count, timeouts_.writeTotalConstantMs,
                                                  timeouts_.writeTotalMultiplierMs)
                                : transferLimitMs(count, timeouts_.readTotalConstantMs,
                                                  timeouts_.readTotalMultiplierMs);
    const DWORD size = static_cast<DWORD>(count);
    DWORD moved = 0;
    const BOOL finishedAtOnce = writing ? WriteFile(handle_, buffer, size, &moved, &overlapped)
                                        : ReadFile(handle_, buffer, size, &moved, &overlapped);
    if (finishedAtOnce) {
        done = moved;
        return 0;
    }
    DWORD error = GetLastError();
    DWORD woke = WAIT_OBJECT_0;
    if (error == ERROR_IO_PENDING) {
        const HANDLE waits[2] = {overlapped.hEvent, interrupt_};
        woke = WaitForMultipleObjects(2, waits, FALSE, limit);
        if (woke != WAIT_OBJECT_0) {
            CancelIoEx(handle_, &overlapped); // interrupted, or a driver that ignores time-outs
        }
        const BOOL finished = GetOverlappedResult(handle_, &overlapped, &moved, TRUE);
        done = moved;
        if (finished) {
            return 0;
        }
        error = GetLastError();
    }
    if (error == ERROR_OPERATION_ABORTED && woke != WAIT_OBJECT_0) {
        return 0; // cut short: what arrived counts, as after a time-out
    }
    // Windows completes a timed-out transfer as a success with fewer bytes; Wine reports the
    // time-out as an error. Either way it is no error here.
    if (error == ERROR_SEM_TIMEOUT || error == ERROR_TIMEOUT || error == WAIT_TIMEOUT) {
        return 0;
    }
    if (error == ERROR_OPERATION_ABORTED) {
        keepLineErrors(); // a line error stopped the port; the next transfer may go again
    }
    return windows::errnoFrom(error);
}

int SerialLine::read(uint8_t* buffer, size_t count, size_t& done) {
    return transfer(buffer, count, false, done);
}

int SerialLine::write(const uint8_t* buffer, size_t count, size_t& done) {
    return transfer(const_cast<uint8_t*>(buffer), count, true, done);
}

void SerialLine::interruptWaits() {
    if (interrupt_ != nullptr) {
        SetEvent(interrupt_);
    }
}

void SerialLine::resumeWaits() {
    if (interrupt_ != nullptr) {
        ResetEvent(interrupt_);
    }
}

void SerialLine::pause(std::chrono::milliseconds duration) {
    if (duration.count() <= 0) {
        return;
    }
    if (interrupt_ == nullptr) {
        Sleep(static_cast<DWORD>(duration.count()));
        return;
    }
    WaitForSingleObject(interrupt_, static_cast<DWORD>(duration.count()));
}

int SerialLine::purgeInput() {
    if (handle_ == nullptr) {
        return EBADF;
    }
    return PurgeComm(handle_, PURGE_RXCLEAR | PURGE_RXABORT) ? 0 : windows::lastErrno();
}

uint32_t SerialLine::takeLineErrors() {
    if (handle_ == nullptr) {
        return EBADF;
    }
    DWORD errors = 0;
    if (!ClearCommError(handle_, &errors, nullptr)) {
        const DWORD error = GetLastError();
        return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION
                   ? keptErrors_.exchange(0)
                   : static_cast<uint32_t>(windows::errnoFrom(error));
    }
    return (errors & kLineErrorFlags) | keptErrors_.exchange(0);
}

} // namespace krv
