#pragma once
// A real CSerialPort opened through the port table on the simulator's pseudo-terminal.

#include "link/frame_exchange.h"
#include "link/serial_port.h"
#include "sim/wire/ack_handler.h"
#include "sim/wire/simulator.h"
#include "tests/support/unavailable.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <system_error>

namespace krv::test {

// Answers through a function the test sets; echoes by default.
class ScriptedHandler : public sim::ICommandHandler {
public:
    using Reply = std::function<std::optional<sim::Frame>(const sim::Frame&)>;
    // Set from the test thread while the simulator's thread may be answering.
    void setReply(Reply reply) {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }
    std::optional<sim::Frame> handle(const sim::Frame& request) override {
        std::lock_guard lock(mutex_);
        return reply_ ? reply_(request) : echo_.handle(request);
    }

private:
    std::mutex mutex_;
    Reply reply_;
    sim::CAckHandler echo_;
};

class SimulatedPortTest : public ::testing::Test {
protected:
    void SetUp() override { startSimulator(std::nullopt); }

    void startSimulator(std::optional<std::string> link) {
        try {
            simulator.start(std::move(link));
        } catch (const std::system_error& error) {
            KRV_GTEST_UNAVAILABLE(std::string("no pseudo-terminal here: ") + error.what());
        }
        ::setenv("KRV_PORTS", simulator.portPath().c_str(), 1);
        openPort();
    }

    void openPort() {
        port.close();
        port.open(1);
        port.setState();
        port.setTimeout();
    }

    // A fresh request in a zeroed buffer, as the device commands build them.
    static std::array<uint8_t, kExchangeBufferSize> request(std::initializer_list<uint8_t> bytes) {
        std::array<uint8_t, kExchangeBufferSize> buffer{};
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        return buffer;
    }

    ScriptedHandler handler;
    sim::CSimulator simulator{handler};
    CSerialPort port;
    CMSGMutex mutex;
    CFrameExchange exchange{port, mutex};
};

// Runs code that must raise a CRSError and hands the error over.
template <class Code> std::unique_ptr<IError> caughtError(Code code) {
    try {
        code();
    } catch (IError* error) {
        return std::unique_ptr<IError>(error);
    }
    return nullptr;
}

} // namespace krv::test
