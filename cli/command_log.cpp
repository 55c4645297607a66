// log: every readings sample the polling thread gathers, as CSV rows, until the time is up or
// Ctrl+C / SIGTERM. A lost link is a comment and a line on stderr, never invented rows; the
// reconnect timer the polling thread arms is served here, as the window's timer would. Enter on
// the terminal writes a numbered marker.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "cli/stop_request.h"
#include "device/readings_recorder.h"
#include "lang/program_texts.h"
#include "platform/atomic_file.h"
#include "platform/enter_keys.h"
#include "platform/writable_file.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace krv::cli {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often the store is looked at: a sample's time is when it was seen, so this is the
// jitter of the seconds column (samples come every 50 ms plus the exchange).
constexpr auto kLookEvery = 5ms;

class ReadingsLog {
public:
    ReadingsLog(CLPGConnection& device, ConsoleWindow& window, std::ostream& csv, std::ostream& err,
                bool quiet, int keys)
        : device_(device), window_(window), csv_(csv), err_(err), quiet_(quiet), keys_(keys) {}

    void run(std::optional<std::chrono::duration<double>> length) {
        // The axes the connection read: the log says which cells its readings belong to.
        const std::optional<ControllerData> loaded = window_.loadedData();
        CReadingsRecorder recorder =
            loaded ? CReadingsRecorder(csv_, device_.diagData, device_.firmwareVersion,
                                       loaded->state.axes())
                   : CReadingsRecorder(csv_, device_.diagData, device_.firmwareVersion);
        const Clock::time_point started = Clock::now();
        if (keys_.watching() && !quiet_) {
            err_ << say(texts::kCliMarkerHint) << std::endl;
        }
        device_.startPolling();
        // A log that can no longer be written ends: nothing would keep what it gathered.
        while (!stopRequest() && csv_ && (!length || Clock::now() - started < *length)) {
            std::this_thread::sleep_for(kLookEvery);
            recorder.update(device_.connected);
            for (int marks = keys_.pressed(); marks > 0; --marks) {
                addMarker(recorder);
            }
            followLink();
        }
        device_.stopPolling();
        recorder.update(device_.connected);
    }

private:
    void addMarker(CReadingsRecorder& recorder) {
        const Clock::time_point now = Clock::now();
        const int number = recorder.addMarker(now);
        if (!quiet_) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.3f", recorder.secondsAt(now));
            err_ << say(texts::kCliMarkerWritten, {std::to_string(number), seconds}) << std::endl;
        }
    }

    // Serves the reconnect the polling thread asks for, and says on err what happened.
    void followLink() {
        if (!device_.connected && !lost_) {
            lost_ = true;
            err_ << say(texts::kCliLinkLost) << std::endl;
        }
        if (window_.takeReconnectDue()) {
            device_.reconnect();
            if (device_.connected && lost_) {
                lost_ = false;
                if (!quiet_) {
                    err_ << say(texts::kCliLinkBack) << std::endl;
                }
            }
        }
    }

    CLPGConnection& device_;
    ConsoleWindow& window_;
    std::ostream& csv_;
    std::ostream& err_;
    const bool quiet_;
    EnterKeys keys_;
    bool lost_ = false;
};

// The log's file: refused at once when it cannot be written, but neither emptied nor left
// behind until a controller answers with readings.
class CsvFile {
public:
    explicit CsvFile(std::string path) : path_(std::move(path)) {}
    ~CsvFile() {
        if (created_ && !stream_.is_open()) {
            removeFile(path_);
        }
    }
    CsvFile(const CsvFile&) = delete;
    CsvFile& operator=(const CsvFile&) = delete;

    // 0, or why the file cannot be written (an errno value).
    int unwritable() {
        const WritableFile file = prepareWritableFile(path_);
        created_ = file.state == WritableFile::State::created;
        return file.error;
    }
    std::ofstream& open() {
        stream_.open(path_, std::ios::out | std::ios::trunc);
        return stream_;
    }

private:
    std::string path_;
    bool created_ = false;
    std::ofstream stream_;
};

std::optional<double> parseSeconds(const std::string& text) {
    double seconds = 0;
    const char* last = text.data() + text.size();
    if (text.empty() || std::from_chars(text.data(), last, seconds).ptr != last || !(seconds > 0)) {
        return std::nullopt;
    }
    return seconds;
}

} // namespace

int runLog(const CliOptions& options, CliIo& io) {
    std::optional<std::chrono::duration<double>> length;
    if (options.seconds) {
        const auto seconds = parseSeconds(*options.seconds);
        if (!seconds) {
            return usageError(io, say(texts::kCliBadValue, {*options.seconds}));
        }
        length = std::chrono::duration<double>(*seconds);
    }
    const std::string path = options.csv.value_or("-");
    CsvFile file(path);
    if (const int error = path == "-" ? 0 : file.unwritable()) {
        io.err << cannotWrite(path, error) << std::endl;
        return kExitFailed;
    }
    const StopOnSignals stops;
    Session session(options, io);
    if (!session.connect()) {
        return kExitFailed;
    }
    if (!session.device().readingsEnabled) {
        return session.fail(say(texts::kCliNoReadings));
    }
    std::ostream& csv = path == "-" ? io.out : file.open();
    if (csv) {
        ReadingsLog(session.device(), session.window(), csv, io.err, options.quiet, io.keys)
            .run(length);
    }
    if (!csv && path != "-") {
        return session.fail(cannotWrite(path, errno != 0 ? errno : EIO));
    }
    if (!csv) {
        return kExitFailed; // stdout's reason is said as the command ends
    }
    // A log on the standard output has no file to find again.
    if (session.car() != nullptr && path != "-" &&
        !session.car()->attachLog(std::filesystem::absolute(path).string())) {
        return kExitFailed;
    }
    return kExitDone;
}

} // namespace krv::cli
