#pragma once
// The search's first look at its ports, all at once: each candidate is asked who it is on a
// port object of its own, with the identification's own tries and time-outs, so ports that
// stay silent cost one time-out together rather than one each. The connection then connects
// for real, on its own port, to the preferred port that answered.

#include <string>
#include <vector>

namespace krv {

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

// The results in the order of ports; returns once every probe has ended and closed its port.
std::vector<PortProbe> probePorts(const std::vector<ProbedPort>& ports);

} // namespace krv
