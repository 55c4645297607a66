// The krv-cli program itself: the language the window would choose, its exit codes, and a
// log ended by SIGTERM with its file complete.

#include "device/map_file/map_file.h"
#include "device/protocol_codes.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/file_contents.h"
#include "tests/support/map_keeping.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
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

// A map that did not reach its output is a failure, never an exit code 0 with an empty file.
TEST_F(CliProgram, ReadMapToAnOutputThatTakesNothingFails) {
    const struct {
        Output output;
        std::string said;
    } cases[] = {{Output::Full, "Cannot write to the standard output: No space left on device\n"},
                 {Output::Closed, "Cannot write to the standard output: Bad file descriptor\n"}};
    for (const auto& c : cases) {
        const CliRun result = run("C", {"read-map", "-"}, c.output);
        EXPECT_EQ(result.code, cli::kExitFailed) << c.said;
        EXPECT_EQ(result.err, c.said);
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

} // namespace
} // namespace krv::test
