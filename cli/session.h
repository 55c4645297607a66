#pragma once
// One command's connection: the thread manager, the device as the window runs it, and the
// console in place of the window. connect() searches as the window does (the remembered port,
// then every port, no dialog); --port narrows the search to that one port and --demo skips it.

#include "cli/car_record.h"
#include "cli/cli.h"
#include "cli/console_window.h"
#include "cli/options.h"
#include "cli/whole_write.h"
#include "connection/lpg_connection.h"
#include "connection/thread_manager.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace krv::cli {

class Session {
public:
    Session(const CliOptions& options, CliIo& io);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False, with the line that says why on err, when no controller answered.
    bool connect();

    CLPGConnection& device() { return device_; }
    ConsoleWindow& window() { return window_; }
    ConsoleMessages& messages() { return messages_; }
    // Reads settings, map and axes from the controller again; nothing (the line on err) when
    // any read fails.
    std::optional<MapSnapshot> readControllerState();
    // A backup of what the controller holds (as just read): the file's path, or nothing after
    // the line on err (the operation must then not go on).
    std::optional<std::string> backUp(std::string_view operation, const MapSnapshot& held);
    // With --car: the car in the register (null without it).
    CarRecord* car() { return car_.get(); }
    // Whether a write may go to the controller that holds held (always, without --car).
    bool mayWrite(const MapSnapshot& held);
    // With --car, records what the controller holds after the command's write (holds, or
    // read afresh when not given); false after the line on err.
    bool recordWritten(std::string_view operation,
                       const std::optional<MapSnapshot>& holds = std::nullopt);
    // Writes the line on err and gives the failure exit code.
    int fail(const std::string& line);
    // Runs a command's talk with the controller; a failing port (an error object) is reported
    // under the operation's name as the window reports it, and fails the command.
    template <typename Body> int guarded(std::u16string_view operation, Body body) {
        try {
            return body();
        } catch (IError* error) {
            reportError(nullptr, std::u16string(operation), error);
            return kExitFailed;
        }
    }
    // The frame of a command that writes the controller: connects, then under operation reads
    // what the controller holds and, unless a stop came first, hands it to write with the
    // WholeWrite that finishes the command.
    int writeOnHeld(std::u16string_view operation,
                    const std::function<int(WholeWrite& whole, const MapSnapshot& held)>& write);

private:
    const CliOptions& options_;
    CliIo& io_;
    ConsoleMessages messages_;
    IMessageBackend* previousMessages_;
    CLPGThreadManager threads_; // before the device: it runs the device's polling thread
    CLPGConnection device_{threads_};
    ConsoleWindow window_;
    std::unique_ptr<CarRecord> car_;
    bool arrivalRecorded_ = false;
};

} // namespace krv::cli
