#pragma once
// A device whose port 1 is the simulated controller's pseudo-terminal, set up as the
// connection sets up a port it tries. Skips where no pseudo-terminal can be had.

#include "device/lpg_device.h"
#include "device/units.h"
#include "platform/error.h"
#include "platform/text.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"
#include "tests/support/unavailable.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <system_error>

namespace krv::sim {

inline bool operator==(const Frame& a, const Frame& b) {
    return a.type == b.type && a.payload == b.payload;
}

} // namespace krv::sim

namespace krv {

class DeviceOnSimulator : public ::testing::Test {
protected:
    explicit DeviceOnSimulator(sim::ControllerMode mode = sim::ControllerMode::Application)
        : controller(mode) {}

    void SetUp() override {
        try {
            simulator.start();
        } catch (const std::system_error& error) {
            KRV_GTEST_UNAVAILABLE(std::string("no pseudo-terminal: ") + error.what());
        }
        ::setenv("KRV_PORTS", simulator.slavePath().c_str(), 1);
        try {
            device.port.open(1);
            device.port.setState();
            device.port.setTimeout();
        } catch (IError* error) {
            const std::unique_ptr<IError> owned(error);
            FAIL() << "port: " << toUtf8(owned->format());
        }
    }

    // Every request from now on is answered with this frame.
    void answerEverythingWith(uint8_t type, std::vector<uint8_t> payload) {
        auto knobs = controller.knobs();
        knobs.forcedReply = sim::Frame{type, std::move(payload)};
        controller.setKnobs(knobs);
    }

    size_t requestCount() const { return controller.requests().size(); }

    sim::CController controller;
    sim::CSimulator simulator{controller};
    CLPGDevice device;
};

} // namespace krv
