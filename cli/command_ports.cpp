// ports: the port table as the search sees it, and with --probe what answers on each port.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "device/lpg_device.h"
#include "lang/program_texts.h"
#include "platform/serial_ports.h"
#include "platform/text.h"

#include <algorithm>
#include <memory>

namespace krv::cli {

namespace {

// Asks the port's controller who it is, as the search does, without loading anything or
// remembering the port.
std::string probe(int portNumber) {
    CLPGDevice device;
    try {
        device.port.open(portNumber);
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
            return say(texts::kCliProbeForeign, {std::to_string(int{answer.type})});
        case IdentifyAnswer::Kind::Bootloader:
            return say(texts::kCliProbeBootloader);
        case IdentifyAnswer::Kind::NoAnswer:
            break;
        }
        return say(texts::kCliProbeNoAnswer);
    } catch (IError* error) {
        const std::unique_ptr<IError> owned(error);
        std::string text = toUtf8(owned->format());
        std::ranges::replace(text, '\n', ' ');
        return text;
    }
}

} // namespace

int runPorts(const CliOptions& options, CliIo& io) {
    const std::vector<std::string> table = serialPortTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        const bool present = serialPortPresent(number);
        io.out << number << '\t' << table[i] << '\t'
               << say(present ? texts::kCliPortPresent : texts::kCliPortAbsent);
        if (options.probe && present) {
            io.out << '\t' << probe(number);
        }
        io.out << std::endl;
    }
    return kExitDone;
}

} // namespace krv::cli
