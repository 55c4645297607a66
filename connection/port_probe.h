#pragma once
// The search's first look at its ports, all at once: each candidate is asked who it is on a
// port object of its own, with the identification's own tries and time-outs, so ports that
// stay silent cost one time-out together rather than one each. The connection then connects
// for real, on its own port, to the preferred port that answered.

#include <mutex>
#include <string>
#include <vector>

namespace krv {

class CSerialPort;

struct PortProbe {
    enum class Result {
        Answered,   // something identified itself: the application, another type, a bootloader
        Silent,     // opened, no acceptable reply in all the tries
        Unusable,   // could not be opened
        PortFailed, // opened, then failed during the exchange
    };
    int portNumber = 0;
    Result result = Result::Silent;
};

struct ProbedPort {
    int portNumber = 0;
    std::string path;
};

// Wakes the probes' waits as the connection's own port is woken, so that a window closing
// during a search does not wait out their time-outs. From any thread.
class CProbeWaits {
public:
    // Probes waiting now, and every one starting until resume, give up at once.
    void interrupt();
    void resume();

private:
    friend class CProbeWaitsEntry;
    void add(CSerialPort& port);
    void remove(CSerialPort& port);

    std::mutex mutex_;
    std::vector<CSerialPort*> ports_;
    bool interrupted_ = false;
};

// The results in the order of ports; returns once every probe has ended and closed its port.
std::vector<PortProbe> probePorts(const std::vector<ProbedPort>& ports, CProbeWaits& waits);

} // namespace krv
