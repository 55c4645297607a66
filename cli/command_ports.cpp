// ports: the port table as the search sees it, whether each port can be opened (or why not),
// and with --probe what answers on each port that opens.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "connection/port_search_report.h"
#include "device/lpg_device.h"
#include "lang/program_texts.h"
#include "platform/port_diagnosis.h"
#include "platform/serial_ports.h"
#include "platform/text.h"

namespace krv::cli {

namespace {

// The search's own line for a port ("<path>: <why>") without the path, which the table shows
// in a column of its own.
std::string reason(const PortAttempt& attempt) {
    std::string line = toUtf8(portAttemptLine(attempt));
    const std::string prefix = attempt.path + ": ";
    return line.starts_with(prefix) ? line.substr(prefix.size()) : line;
}

// Asks the port's controller who it is, as the search does, without loading anything or
// remembering the port.
std::string probe(PortAttempt attempt) {
    CLPGDevice device;
    try {
        device.port.open(attempt.portNumber);
        device.port.setState();
        device.port.setTimeout();
        const IdentifyAnswer answer = device.requestIdentity();
        switch (answer.kind) {
        case IdentifyAnswer::Kind::Application:
            if (!device.readVersion()) {
                return say(texts::kReadVersionFailed);
            }
            return say(texts::kCliProbeApplication, {std::to_string(int{device.deviceType}),
                                                     std::to_string(device.firmwareVersion)});
        case IdentifyAnswer::Kind::ForeignType:
            attempt.outcome = PortAttempt::Outcome::ForeignController;
            break;
        case IdentifyAnswer::Kind::Bootloader:
            attempt.outcome = PortAttempt::Outcome::Bootloader;
            break;
        case IdentifyAnswer::Kind::NoAnswer:
            attempt.outcome = PortAttempt::Outcome::NoAnswer;
            break;
        }
    } catch (IError* error) {
        delete error;
        attempt.outcome = device.port.isOpen() ? PortAttempt::Outcome::PortFailed
                                               : PortAttempt::Outcome::Unusable;
        attempt.diagnosis = diagnosePort(attempt.path);
    }
    return reason(attempt);
}

} // namespace

int runPorts(const CliOptions& options, CliIo& io) {
    const std::vector<std::string> table = serialPortTable();
    for (size_t i = 0; i < table.size(); ++i) {
        PortAttempt attempt{static_cast<int>(i + 1), table[i], PortAttempt::Outcome::Unusable,
                            diagnosePort(table[i])};
        const bool present = serialPortPresent(attempt.portNumber);
        io.out << attempt.portNumber << '\t' << attempt.path << '\t'
               << say(present ? texts::kCliPortPresent : texts::kCliPortAbsent) << '\t';
        if (attempt.diagnosis.status != PortStatus::Openable) {
            io.out << reason(attempt);
        } else if (options.probe) {
            io.out << probe(attempt);
        } else {
            io.out << say(texts::kCliPortOpenable);
        }
        io.out << std::endl;
    }
    return kExitDone;
}

} // namespace krv::cli
