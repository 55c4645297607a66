#pragma once
// What the port search learnt of each port it looked at, so that the no-connection dialog can
// say why no controller was found and what cures it.

#include "platform/port_diagnosis.h"

#include <optional>
#include <string>
#include <vector>

namespace krv {

// The search looks at the first this many entries of the port table (COM1 to COM256).
inline constexpr int kSearchedPorts = 256;

struct PortAttempt {
    enum class Outcome {
        Unusable,          // could not be opened; `diagnosis` says why
        NoAnswer,          // opened, but no controller identified itself
        ForeignController, // a controller of another type answered
        Bootloader,        // the controller answered from its bootloader
        PortFailed,        // the port failed during the exchange
    };
    int portNumber = 0;
    std::string path;
    Outcome outcome = Outcome::NoAnswer;
    PortDiagnosis diagnosis;
};

// "<path>: <why>", translated, with the cure where there is one.
std::u16string portAttemptLine(const PortAttempt& attempt);

class CPortSearchReport {
public:
    void clear() { attempts_.clear(); }
    // The table the search goes through (by default the system's, or KRV_PORTS).
    void setPortTable(std::vector<std::string> table) { table_ = std::move(table); }
    // A port is being tried (again): its entry starts over as NoAnswer.
    void tried(int portNumber);
    // Port n could not be opened or is absent: asks the system why.
    void unusable(int portNumber);
    // What the controller on port n answered; a port not tried in this search is left alone.
    void note(int portNumber, PortAttempt::Outcome outcome);

    // One translated line a port, the table's entries past kSearchedPorts listed as not tried;
    // a search that had no port at all says how to name one.
    std::vector<std::u16string> lines() const;
    // What each port of the search gave, in the order they were tried.
    const std::vector<PortAttempt>& attempts() const { return attempts_; }

private:
    PortAttempt& entry(int portNumber);

    std::vector<PortAttempt> attempts_;
    std::optional<std::vector<std::string>> table_;
};

} // namespace krv
