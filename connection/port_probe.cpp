#include "connection/port_probe.h"

#include "device/lpg_device.h"

#include <thread>

namespace krv {

namespace {

PortProbe probePort(const ProbedPort& port) {
    PortProbe probe{port.portNumber};
    CLPGDevice device;
    try {
        device.port.open(port.portNumber, port.path);
        device.port.setState();
        device.port.setTimeout();
        probe.result = device.requestIdentity().kind == IdentifyAnswer::Kind::NoAnswer
                           ? PortProbe::Result::Silent
                           : PortProbe::Result::Answered;
    } catch (IError* error) {
        delete error;
        probe.result =
            device.port.isOpen() ? PortProbe::Result::PortFailed : PortProbe::Result::Unusable;
    }
    return probe;
}

} // namespace

std::vector<PortProbe> probePorts(const std::vector<ProbedPort>& ports) {
    std::vector<PortProbe> probes(ports.size());
    std::vector<std::thread> running;
    running.reserve(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        running.emplace_back([&probes, &ports, i] { probes[i] = probePort(ports[i]); });
    }
    for (std::thread& probe : running) {
        probe.join();
    }
    return probes;
}

} // namespace krv
