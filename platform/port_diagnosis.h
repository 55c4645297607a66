#pragma once
// Why a serial device cannot be used, told in terms a user can act on: it is not there, the
// user may not open it (and which group may), another program holds it (and which), or it is
// no terminal at all. Only looks: the device is opened at most for a moment and nothing is sent.

#include <string>
#include <vector>

namespace krv {

enum class PortStatus {
    Openable,     // opens and locks as the tool would open it
    Missing,      // no such path
    NoPermission, // open refused (EACCES, EPERM); `group` owns the device
    Busy,         // another opener holds it exclusively (EBUSY or a held lock)
    NotTerminal,  // a regular file, a directory, or a device that is no terminal
    OtherError,   // anything else; `error` says what
};

struct PortHolder {
    int pid = 0;
    std::string name; // the process's command name from /proc
};

struct PortDiagnosis {
    PortStatus status = PortStatus::Openable;
    int error = 0;     // errno behind the status, 0 when there is none
    std::string group; // NoPermission: the owning group's name (its number when it has none)
    std::vector<PortHolder> holders; // Busy: the other processes with the device open, as far
                                     // as /proc lets this user see them
};

PortDiagnosis diagnosePort(const std::string& path);

// The status an open of `path` that failed with `error` stands for, with the same details as
// diagnosePort; for callers that have already tried to open it.
PortDiagnosis diagnoseOpenError(const std::string& path, int error);

} // namespace krv
