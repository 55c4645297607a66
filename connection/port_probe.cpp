#include "connection/port_probe.h"

#include "device/lpg_device.h"

#include <algorithm>
#include <thread>

namespace krv {

// A probe's port is woken with the others for as long as it is probed.
class CProbeWaitsEntry {
public:
    CProbeWaitsEntry(CProbeWaits& waits, CSerialPort& port) : waits_(waits), port_(port) {
        waits_.add(port_);
    }
    ~CProbeWaitsEntry() { waits_.remove(port_); }
    CProbeWaitsEntry(const CProbeWaitsEntry&) = delete;
    CProbeWaitsEntry& operator=(const CProbeWaitsEntry&) = delete;

private:
    CProbeWaits& waits_;
    CSerialPort& port_;
};

void CProbeWaits::interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    for (CSerialPort* port : ports_) {
        port->interruptWaits();
    }
}

void CProbeWaits::resume() {
    std::lock_guard lock(mutex_);
    interrupted_ = false;
}

void CProbeWaits::add(CSerialPort& port) {
    std::lock_guard lock(mutex_);
    ports_.push_back(&port);
    if (interrupted_) {
        port.interruptWaits();
    }
}

void CProbeWaits::remove(CSerialPort& port) {
    std::lock_guard lock(mutex_);
    ports_.erase(std::find(ports_.begin(), ports_.end(), &port));
}

namespace {

PortProbe probePort(const ProbedPort& port, CProbeWaits& waits) {
    PortProbe probe{port.portNumber};
    CLPGDevice device;
    const CProbeWaitsEntry woken(waits, device.port);
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

std::vector<PortProbe> probePorts(const std::vector<ProbedPort>& ports, CProbeWaits& waits) {
    std::vector<PortProbe> probes(ports.size());
    std::vector<std::thread> running;
    running.reserve(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        running.emplace_back(
            [&probes, &ports, &waits, i] { probes[i] = probePort(ports[i], waits); });
    }
    for (std::thread& probe : running) {
        probe.join();
    }
    return probes;
}

} // namespace krv
