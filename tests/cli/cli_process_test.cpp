// The krv-cli program itself: the language the window would choose, its exit codes, and a
// log ended by SIGTERM with its file complete.

#include "device/map_file/map_file.h"
#include "device/protocol_codes.h"
#include "device/readings_csv.h"
#include "sim/controller/sample_map.h"
#include "tests/cli/cli_fixture.h"
#include "tests/device/readings_record.h"
#include "tests/support/file_contents.h"
#include "tests/support/map_keeping.h"
#include "tests/support/polled_drive.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace krv::test {
namespace {

class CliProgram : public CliTest {
protected:
    // Where the program's standard output goes.
    enum class Output { File, Full, Closed };

    // Starts krv-cli with LANG set, stderr into a file; returns its process id.
    pid_t start(const std::string& language, const std::vector<std::string>& args,
                Output output = Output::File) {
        ::setenv("LANG", language.c_str(), 1);
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_MESSAGES");
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        if (output == Output::Closed) {
            posix_spawn_file_actions_addclose(&files, STDOUT_FILENO);
        } else {
            posix_spawn_file_actions_addopen(
                &files, STDOUT_FILENO, output == Output::Full ? "/dev/full" : outPath().c_str(),
                O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errPath().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> all{KRV_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, KRV_CLI_PATH, &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        return pid;
    }
    static int exitCode(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    CliRun run(const std::string& language, const std::vector<std::string>& args,
               Output output = Output::File) {
        CliRun result;
        result.code = exitCode(start(language, args, output));
        result.out = fileContents(outPath());
        result.err = fileContents(errPath());
        return result;
    }
    std::string outPath() const { return directory_ + "/out.txt"; }
    std::string errPath() const { return directory_ + "/err.txt"; }
};

struct LanguageCase {
    const char* language;
    std::string said;
};

TEST_F(CliProgram, SpeaksTheLanguageTheWindowWouldChoose) {
    const LanguageCase cases[] = {
        {"pl_PL.UTF-8", "Nieznane polecenie: bogus"},
        {"en_US.UTF-8", "Unknown command: bogus"},
        {"ru_RU.UTF-8", "Неизвестная команда: bogus"},
        {"es_ES.UTF-8", "Comando desconocido: bogus"},
        {"C", "Unknown command: bogus"},
    };
    for (const LanguageCase& language : cases) {
        const CliRun result = run(language.language, {"bogus"});
        EXPECT_EQ(result.code, cli::kExitUsage) << language.language;
        EXPECT_EQ(result.err.find(language.said), 0U) << language.language << ": " << result.err;
    }
    ::unsetenv("LANG");
}

TEST_F(CliProgram, ExitCodesOfTheProgram) {
    EXPECT_EQ(run("C", {"--version"}).code, cli::kExitDone);
    const CliRun info = run("C", {"info"});
    EXPECT_EQ(info.code, cli::kExitDone) << info.err;
    EXPECT_NE(info.out.find("device-type=17\n"), std::string::npos);
    port().simulator.setSilent(true);
    const CliRun silent = run("C", {"info"});
    EXPECT_EQ(silent.code, cli::kExitFailed);
    EXPECT_EQ(silent.err, "The program cannot connect to the ECU on any of the computer's "
                          "COM ports.\nPorts tried:\n" +
                              table_[0] + ": no answer from the ECU\n");
    ::unsetenv("LANG");
}

TEST_F(CliProgram, SigtermEndsALogWithTheFileComplete) {
    const std::string path = directory_ + "/terminated.csv";
    const pid_t pid = start("C", {"log", "--csv", path});
    ASSERT_TRUE(eventually([&] { return fileContents(path).find("\n0.") != std::string::npos; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(exitCode(pid), cli::kExitDone);
    const std::string log = fileContents(path);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), '\n');
    EXPECT_GE(std::count(log.begin(), log.end(), '\n'), 10);
    ::unsetenv("LANG");
}

// A result that did not reach its output is a failure, never an exit code 0 with nothing
// written: every command that writes to stdout, into a full device and into a closed stdout.
TEST_F(CliProgram, AnOutputThatTakesNothingFailsNamingWhy) {
    const std::string log = directory_ + "/drive.csv";
    std::ofstream(log) << readings_csv::header(std::chrono::system_clock::now(), 256)
                       << readings_csv::row(0.05, 1, readingsRecord(3400, 211, 400, 407, 3));
    const std::string map = directory_ + "/map.csv";
    MapSnapshot other;
    other.cells.fill(77); // so the dry run has changes to print
    std::ofstream(map) << formatMapFile(other, {kServedDeviceType, 256, "then"});
    const std::vector<std::string> commands[] = {
        {"--version"},
        {"--help"},
        {"ports"},
        {"info"},
        {"read-map", "-"},
        {"write-map", map, "--dry-run", "--force"},
        {"edit", "--block", "1:1", "--set", "1.5", "--dry-run"},
        {"log", "--seconds", "1"},
        {"calibrate", log, "--map", map},
        {"convert", log, "-"},
    };
    const struct {
        Output output;
        std::string said;
    } outputs[] = {{Output::Full, "Cannot write to the standard output: No space left on device\n"},
                   {Output::Closed, "Cannot write to the standard output: Bad file descriptor\n"}};
    for (const std::vector<std::string>& args : commands) {
        for (const auto& output : outputs) {
            const CliRun result = run("C", args, output.output);
            EXPECT_EQ(result.code, cli::kExitFailed) << args.front() << ": " << result.err;
            EXPECT_TRUE(result.err.ends_with(output.said)) << args.front() << ": " << result.err;
            EXPECT_EQ(result.err.find(output.said), result.err.size() - output.said.size())
                << args.front() << ", said once: " << result.err;
        }
    }
    ::unsetenv("LANG");
}

// A real signal, at the moment the controller has the new axes and not yet the new map: the
// program finishes the write, then stops with the signal's code and says what it wrote.
TEST_F(CliProgram, ASignalBetweenAxesAndMapIsServedOnceTheWriteIsWhole) {
    MapSnapshot target;
    for (size_t c = 0; c < kMapColumns; ++c) {
        target.columns[c] = static_cast<uint8_t>(6 + 4 * c);
    }
    target.cells.fill(77);
    target.rpmDivider = 9;
    const std::string path = directory_ + "/target.csv";
    std::ofstream(path) << formatMapFile(
        target, {kServedDeviceType, sim::ControllerKnobs().version, "then"});
    for (const int signal : {SIGINT, SIGTERM}) {
        controller().setMap({});
        std::atomic<pid_t> child{0};
        port().handler.onRequest([&child, signal](const sim::Frame& request) {
            if (request.type == protocol::kAxesFrame) {
                ::kill(child.load(), signal);
            }
        });
        child = start("C", {"write-map", path});
        const int code = exitCode(child);
        port().handler.onRequest({});
        EXPECT_EQ(code, cli::kExitStoppedBase + signal) << fileContents(errPath());
        EXPECT_EQ(snapshotOfController(controller()), target);
        EXPECT_NE(
            fileContents(errPath()).find("now holds the map, axes and settings from the file"),
            std::string::npos)
            << fileContents(errPath());
    }
    ::unsetenv("LANG");
}

// Ctrl+C while convert or calibrate replaces its output, and at other moments: the output is
// whole or as it was, and no temporary file is left beside it.
TEST_F(CliProgram, ASignalLeavesNoTemporaryFile) {
    const std::string folder = directory_ + "/signals";
    std::filesystem::create_directory(folder);
    const std::string log = folder + "/drive.csv";
    std::string text = readings_csv::header(std::chrono::system_clock::now(), 256);
    const sim::PetrolDrive drive;
    const std::vector<PolledReading> polled = polledPetrolDrive(drive);
    for (const PolledReading& p : polled) {
        text += readings_csv::row(p.seconds, p.reading.sampleNumber, p.reading);
    }
    // Long enough that writing its MSL takes a moment of its own.
    for (uint32_t i = 1; text.size() < (4u << 20); ++i) {
        text += readings_csv::row(polled.back().seconds + i * 0.05,
                                  polled.back().reading.sampleNumber + i,
                                  readingsRecord(3400, 211, 400, 407, 3));
    }
    std::ofstream(log) << text;
    const std::string map = folder + "/map.csv";
    std::ofstream(map) << formatMapFile(sampleMapSnapshot(), {kServedDeviceType, 256, "then"});
    const std::string out = folder + "/out";
    const std::vector<std::string> commands[] = {{"convert", log, out},
                                                 {"calibrate", log, "--map", map, "--out", out}};
    // When: at once, a little later, and the moment the temporary file appears.
    const std::optional<std::chrono::milliseconds> moments[] = {
        std::chrono::milliseconds(0), std::chrono::milliseconds(150), std::nullopt};
    int stoppedWhileWriting = 0;
    for (const std::vector<std::string>& args : commands) {
        for (const auto& moment : moments) {
            std::filesystem::remove(out);
            const int watch = ::inotify_init1(IN_CLOEXEC);
            ASSERT_GE(watch, 0);
            ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CREATE), 0);
            const pid_t pid = start("C", args);
            if (moment) {
                std::this_thread::sleep_for(*moment);
            } else {
                char event[sizeof(inotify_event) + NAME_MAX + 1];
                ASSERT_GT(::read(watch, event, sizeof event), 0);
            }
            ::kill(pid, SIGINT);
            ::close(watch);
            int status = 0;
            ::waitpid(pid, &status, 0);
            const std::string what = args.front() + " after " +
                                     (moment ? std::to_string(moment->count()) + " ms" : "create");
            const std::string err = fileContents(errPath());
            if (WIFSIGNALED(status)) {
                EXPECT_EQ(WTERMSIG(status), SIGINT) << what;
            } else if (WEXITSTATUS(status) == cli::kExitStoppedBase + SIGINT) {
                ++stoppedWhileWriting;
                EXPECT_NE(err.find("Stopped; the file " + out + " was not written."),
                          std::string::npos)
                    << what << ": " << err;
            } else {
                EXPECT_EQ(WEXITSTATUS(status), cli::kExitDone) << what << ": " << err;
                EXPECT_TRUE(std::filesystem::exists(out)) << what;
            }
            if (std::filesystem::exists(out)) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == cli::kExitDone) << what;
            }
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                EXPECT_TRUE(name == "drive.csv" || name == "map.csv" || name == "out")
                    << what << " left " << name;
            }
        }
    }
    EXPECT_GT(stoppedWhileWriting, 0) << "no signal came while a file was being written";
    EXPECT_EQ(fileContents(log), text);
    ::unsetenv("LANG");
}

} // namespace
} // namespace krv::test
