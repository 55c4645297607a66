#include "link/serial_port.h"

#include "platform/serial_ports.h"
#include "platform/text.h"

#include <cerrno>

namespace krv {
namespace {

constexpr const char* kSourceFile = "serialport";

} // namespace

void CSerialPort::open(int portNumber) {
    open(portNumber, serialPortPath(portNumber));
}

void CSerialPort::open(int portNumber, const std::string& path) {
    const int error = path.empty() ? ENOENT : line_.open(path);
    if (error != 0) {
        raise(kRsOpenFailed,
              formatText("CSerialPort::open(%d) - GetLastError()=%d", portNumber, error), 68,
              kSourceFile);
    }
    portNumber_ = portNumber;
}

int CSerialPort::close() {
    return line_.close();
}

void CSerialPort::setState(const SerialLineSettings& settings) {
    if (const int error = line_.applySettings(settings); error != 0) {
        raiseWithLineState(u"CSerialPort::setState() ", error, 107);
    }
}

void CSerialPort::setTimeout(const SerialTimeouts& timeouts) {
    if (!line_.isOpen()) {
        raiseWithLineState(u"CSerialPort::setTimeout() ", EBADF, 152);
    }
    line_.setTimeouts(timeouts);
}

size_t CSerialPort::read(uint8_t* buffer, size_t count) {
    size_t done = 0;
    if (const int error = line_.read(buffer, count, done); error != 0) {
        raise(kRsOperationFailed, formatText("CSerialPort::read() - GetLastError()=%d", error), 167,
              kSourceFile);
    }
    return done;
}

size_t CSerialPort::write(const uint8_t* buffer, size_t count) {
    size_t done = 0;
    if (const int error = line_.write(buffer, count, done); error != 0) {
        raise(kRsOperationFailed, formatText("CSerialPort::write() - GetLastError()=%d", error),
              183, kSourceFile);
    }
    return done;
}

void CSerialPort::purgeIn() {
    if (const int error = line_.purgeInput(); error != 0) {
        raiseWithLineState(u"CSerialPort::purgeIn() ", error, 202);
    }
}

uint32_t CSerialPort::clearCommError() {
    return line_.takeLineErrors();
}

void CSerialPort::raiseWithLineState(const char16_t* operation, int error, int line) {
    // The error code is taken before the line-error query, which may change errno.
    const std::u16string text = operation + formatText("\n GetLastError() = %d", error);
    const uint32_t lineErrors = clearCommError();
    raise(kRsOperationFailed, text + formatText("\n clearCommError() = %u", lineErrors), line,
          kSourceFile);
}

} // namespace krv
