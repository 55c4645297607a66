// log: every readings sample the polling thread gathers, as CSV rows, until the time is up or
// Ctrl+C / SIGTERM. A lost link is a comment and a line on stderr, never invented rows; the
// reconnect timer the polling thread arms is served here, as the window's timer would. Enter on
// the terminal writes a numbered marker.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/enter_keys.h"
#include "cli/session.h"
#include "cli/stop_request.h"
#include "device/readings_recorder.h"
#include "lang/program_texts.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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
        CReadingsRecorder recorder(csv_, device_.diagData, device_.firmwareVersion);
        const Clock::time_point started = Clock::now();
        if (keys_.watching() && !quiet_) {
            err_ << say(texts::kCliMarkerHint) << std::endl;
        }
        device_.startPolling();
        while (!stopRequest() && (!length || Clock::now() - started < *length)) {
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
            ::unlink(path_.c_str());
        }
    }
    CsvFile(const CsvFile&) = delete;
    CsvFile& operator=(const CsvFile&) = delete;

    bool writable() {
        struct stat info {};
        if (::stat(path_.c_str(), &info) == 0) {
            return !S_ISDIR(info.st_mode) && ::access(path_.c_str(), W_OK) == 0;
        }
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created_ = fd >= 0;
        if (created_) {
            ::close(fd);
        }
        return created_;
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
    if (path != "-" && !file.writable()) {
        io.err << say(texts::kCannotWriteFile, {path}) << std::endl;
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
    if (!csv) {
        return session.fail(say(texts::kCannotWriteFile, {path}));
    }
    ReadingsLog(session.device(), session.window(), csv, io.err, options.quiet, io.keys)
        .run(length);
    if (!csv) {
        return session.fail(say(texts::kCannotWriteFile, {path}));
    }
    // A log on the standard output has no file to find again.
    if (session.car() != nullptr && path != "-" &&
        !session.car()->attachLog(std::filesystem::absolute(path).string())) {
        return kExitFailed;
    }
    return kExitDone;
}

} // namespace krv::cli
