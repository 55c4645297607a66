#include "cli/session.h"

#include "cli/cli_text.h"
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
      window_(device_, io.err, io.errIsTerminal, options.quiet) {
    if (const char* ports = std::getenv("KRV_PORTS")) {
        previousPorts_ = ports;
    }
}

Session::~Session() {
    device_.endPolling();
    setMessageBackend(previousMessages_);
    if (previousPorts_) {
        ::setenv("KRV_PORTS", previousPorts_->c_str(), 1);
    } else {
        ::unsetenv("KRV_PORTS");
    }
}

int Session::fail(const std::string& line) {
    io_.err << line << std::endl;
    return kExitFailed;
}

void Session::narrowPortTable() {
    std::vector<std::string> table = serialPortTable();
    const std::string& named = *options_.port;
    size_t index = table.size();
    if (!named.empty() &&
        std::all_of(named.begin(), named.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        index = std::stoul(named.substr(0, 4)) - 1; // past the table: nothing is present
    } else if (const auto found = std::find(table.begin(), table.end(), named);
               found != table.end()) {
        index = static_cast<size_t>(found - table.begin());
    } else {
        table.push_back(named);
    }
    std::string list;
    for (size_t i = 0; i < table.size(); ++i) {
        // An empty entry names nothing, so the search passes it by.
        list += (i == 0 ? "" : ":") + (i == index ? table[i] : std::string());
    }
    ::setenv("KRV_PORTS", list.c_str(), 1);
}

bool Session::connect() {
    device_.startChoice.demo = options_.demo;
    if (options_.port && !options_.demo) {
        narrowPortTable();
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
        // the entries --port blanked out were never the user's to look at.
        std::vector<std::u16string> lines;
        for (const PortAttempt& attempt : device_.searchReport.attempts()) {
            if (!attempt.path.empty()) {
                lines.push_back(portAttemptLine(attempt));
            }
        }
        if (lines.empty() && options_.port) {
            return false; // the verdict named the port, and there was nothing at it
        }
        lines.insert(lines.begin(),
                     translate(lines.empty() ? texts::kNoSerialPorts : texts::kPortsTried));
        for (const std::u16string& line : lines) {
            io_.err << toUtf8(line) << '\n';
        }
        io_.err << std::flush;
    }
    return false;
}

} // namespace krv::cli
