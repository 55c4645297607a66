#pragma once
// The port the controller is reached through: port n of the port table (platform/serial_ports.h).
// Every failing OS call raises a CRSError* (code 5 from open, 6 otherwise) with the source file
// "serialport"; the port never retries.

#include "link/rs_error.h"
#include "link/serial_io.h"
#include "platform/serial_line.h"

namespace krv {

class CSerialPort : public IErrorHelper<CRSError>, public ISerialIo {
public:
    ~CSerialPort() override = default;

    void open(int portNumber);
    // Port n of a table the caller holds, at that path ("" fails as an absent port).
    void open(int portNumber, const std::string& path);
    int close();
    bool isOpen() const { return line_.isOpen(); }
    // Number of the port last opened successfully, 0 before any.
    int portNumber() const { return portNumber_; }

    void setState(const SerialLineSettings& settings = {});
    void setTimeout(const SerialTimeouts& timeouts = {});
    size_t read(uint8_t* buffer, size_t count) override;
    size_t write(const uint8_t* buffer, size_t count) override;
    void purgeIn() override;
    // Line-error flags since the last call (0 = none), or errno when the query fails.
    uint32_t clearCommError() override;
    // From any thread: waiting reads and writes return at once, short, until resumeWaits.
    void interruptWaits() { line_.interruptWaits(); }
    void resumeWaits() { line_.resumeWaits(); }
    // The time given, or less once waits are interrupted.
    void pause(std::chrono::milliseconds duration) { line_.pause(duration); }

private:
    // "<operation> \n GetLastError() = e\n clearCommError() = c"
    void raiseWithLineState(const char16_t* operation, int error, int line);

    SerialLine line_;
    int portNumber_ = 0;
};

} // namespace krv
