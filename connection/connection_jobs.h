#pragma once
// How the window's features run work that talks to the controller: the job runs where the
// port is owned (one job at a time), the completion comes back on the user-interface thread.
// The window gives its connection worker; tests may run jobs in place.

#include <functional>
#include <string>

namespace krv {

class CLPGConnection;

class IConnectionJobs {
public:
    using Job = std::function<bool(CLPGConnection& device)>;
    using Done = std::function<void(bool succeeded)>;

    virtual ~IConnectionJobs() = default;

    // statusText: what the status line says while the job runs ("" keeps it).
    // done may be empty. A job that raises an error object is reported as the window reports
    // errors, and done gets false.
    virtual void run(const std::u16string& statusText, Job job, Done done) = 0;
};

} // namespace krv
