#include "cli/session.h"

#include "cli/cli_text.h"
#include "connection/port_choice.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/serial_ports.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdlib>

namespace krv::cli {

Session::Session(const CliOptions& options, CliIo& io)
    : options_(options), io_(io), messages_(io.err),
      previousMessages_(setMessageBackend(&messages_)),
      window_(device_, io.err, io.errIsTerminal, options.quiet) {}

Session::~Session() {
    device_.endPolling();
    setMessageBackend(previousMessages_);
}

int Session::fail(const std::string& line) {
    io_.err << line << std::endl;
    return kExitFailed;
}

bool Session::mayWrite(const MapSnapshot& held) {
    return car_ == nullptr || car_->mayWrite(held, options_.yes);
}

bool Session::recordWritten(std::string_view operation, const std::optional<MapSnapshot>& holds) {
    if (car_ == nullptr) {
        return true;
    }
    const std::optional<MapSnapshot> state = holds ? holds : krv::readControllerState(device_);
    if (!state) {
        fail(say(texts::kReadSettingsFailed));
        return false;
    }
    return car_->record({device_.deviceType, device_.firmwareVersion, *state},
                        causeOfOperation(operation));
}

bool Session::connect() {
    // The register before the controller: a command that cannot record must not begin.
    if (options_.car) {
        car_ = CarRecord::open(*options_.car, io_.err);
        if (car_ == nullptr) {
            return false;
        }
    }
    device_.startChoice.demo = options_.demo;
    if (options_.port && !options_.demo) {
        // That port alone: a command must never reach a controller on another. A port the
        // table cannot give was refused as a usage fault before the command began.
        std::u16string ignored;
        const auto choice = startChoiceForPort(*options_.port, ignored);
        if (!choice) {
            fail(toUtf8(ignored));
            return false;
        }
        device_.startChoice = *choice;
        device_.startChoice.onlyFirstPort = true;
    }
    device_.connect(window_);
    if (device_.connected) {
        return true;
    }
    if (window_.forcedUpdateResult().has_value()) {
        return false; // the update has said what went wrong
    }
    fail(options_.port ? say(texts::kCliNoControllerOnPort, {*options_.port})
                       : say(texts::kNoControllerOnAnyPort));
    if (!options_.quiet) {
        // Under the verdict, what each port gave, as the window's no-connection dialog says it;
        // with --port, only that port was looked at.
        std::vector<std::u16string> lines;
        if (!options_.port) {
            lines = device_.searchReport.lines();
        } else {
            const std::vector<PortAttempt>& attempts = device_.searchReport.attempts();
            const auto named = std::find_if(attempts.begin(), attempts.end(),
                                            [](const auto& a) { return !a.path.empty(); });
            if (named == attempts.end()) {
                return false; // the verdict named the port, and there was nothing at it
            }
            lines = {translate(texts::kPortsTried), portAttemptLine(*named)};
        }
        for (const std::u16string& line : lines) {
            io_.err << toUtf8(line) << '\n';
        }
        io_.err << std::flush;
    }
    return false;
}

int Session::writeOnHeld(
    std::u16string_view operation,
    const std::function<int(WholeWrite& whole, const MapSnapshot& held)>& write) {
    if (!connect()) {
        return kExitFailed;
    }
    return guarded(operation, [&] {
        WholeWrite whole(io_);
        const std::optional<MapSnapshot> held = readControllerState();
        if (!held) {
            return kExitFailed;
        }
        if (const auto stopped = whole.stopBeforeWriting()) {
            return *stopped;
        }
        return write(whole, *held);
    });
}

} // namespace krv::cli
