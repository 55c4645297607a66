// krv-cli log against the simulated controller: rows at the polling rate, a lost link as a
// gap with no invented rows, rows again once the controller answers, and a clean end on a
// stop request with the file complete.

#include "cli/stop_request.h"
#include "readings_log/readings_log.h"
#include "sim/controller/sample_map.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/file_contents.h"

#include <filesystem>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace krv::test {
namespace {

struct LogFile {
    std::vector<std::string> comments;
    std::vector<std::vector<double>> rows; // seconds, sample, rpm, input, output, pump, state
    std::string text;
};

LogFile readLog(const std::string& path) {
    LogFile log;
    log.text = fileContents(path);
    std::istringstream lines(log.text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("#") || line.starts_with("seconds,")) {
            log.comments.push_back(line);
            continue;
        }
        std::vector<double> row;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ',')) {
            row.push_back(std::stod(field));
        }
        EXPECT_EQ(row.size(), 7U) << line;
        log.rows.push_back(row);
    }
    return log;
}

// Rows are numbered on from 1 without a hole, and their times never go back.
void expectRowsInOrder(const LogFile& log) {
    for (size_t i = 0; i < log.rows.size(); ++i) {
        EXPECT_EQ(log.rows[i][1], static_cast<double>(i + 1));
        if (i > 0) {
            EXPECT_GE(log.rows[i][0], log.rows[i - 1][0]);
        }
    }
}

using CliLog = CliTest;

TEST_F(CliLog, LogsSamplesAtThePollingRateForTheSecondsAsked) {
    const std::string path = directory_ + "/drive.csv";
    const CliRun run = cli({"log", "--seconds", "5", "--csv", path});
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    const LogFile log = readLog(path);
    ASSERT_EQ(log.comments.size(), 6U);
    EXPECT_EQ(log.comments[2], "# firmware version,256");
    EXPECT_TRUE(log.comments[3].starts_with("# row axis,")) << log.comments[3];
    EXPECT_TRUE(log.comments[4].starts_with("# column axis,")) << log.comments[4];
    EXPECT_EQ(log.comments[5], "seconds,sample,rpm,input V,output V,pump PWM V,work state");
    // One sample every 50 ms plus an exchange of a few ms: about 95 in 5 s, never above 100.
    EXPECT_GE(log.rows.size(), 60U);
    EXPECT_LE(log.rows.size(), 101U);
    expectRowsInOrder(log);
    EXPECT_GT(log.rows.back()[0], 4.8);
    EXPECT_LT(log.rows.back()[0], 5.5);
    for (const auto& row : log.rows) {
        EXPECT_GE(row[2], 700) << "the engine model idles at 750 rpm";
    }
    // Every reply is a row; only the exchange the end of the log cut short may have none.
    const uint64_t requests = controller().state().counters.readings;
    EXPECT_GE(requests, log.rows.size());
    EXPECT_LE(requests, log.rows.size() + 1);
}

TEST_F(CliLog, ALostLinkIsAGapWithoutRowsAndLoggingResumes) {
    sim::FaultOptions faults;
    faults.silentAfter = 5 + 20; // the connection's five requests, then a second of readings
    faults.silentFor = std::chrono::milliseconds(2500);
    port().simulator.setFaults(faults);
    const std::string path = directory_ + "/gap.csv";
    const CliRun run = cli({"log", "--seconds", "9", "--csv", path});
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_NE(run.err.find("Utracono połączenie ze sterownikiem"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Połączenie ze sterownikiem przywrócone"), std::string::npos);

    const LogFile log = readLog(path);
    expectRowsInOrder(log);
    const size_t lost = log.text.find("# link lost at ");
    const size_t back = log.text.find("# link back at ");
    ASSERT_NE(lost, std::string::npos) << log.text;
    ASSERT_NE(back, std::string::npos) << log.text;
    EXPECT_LT(lost, back);
    const double lostAt = std::stod(log.text.substr(lost + 15));
    const double backAt = std::stod(log.text.substr(back + 15));
    size_t before = 0;
    size_t after = 0;
    for (const auto& row : log.rows) {
        EXPECT_FALSE(row[0] > lostAt && row[0] < backAt) << "a row inside the gap at " << row[0];
        (row[0] <= lostAt ? before : after) += 1;
    }
    EXPECT_GE(before, 15U);
    EXPECT_GE(after, 15U) << "logging resumes after the gap";
    // The silence is 2.5 s; the polling gives up after three read time-outs.
    EXPECT_GE(backAt - lostAt, 0.5);
    double widest = 0;
    for (size_t i = 1; i < log.rows.size(); ++i) {
        widest = std::max(widest, log.rows[i][0] - log.rows[i - 1][0]);
    }
    EXPECT_GE(widest, 2.5);
}

TEST_F(CliLog, AStopRequestEndsTheLogWithTheFileComplete) {
    const std::string path = directory_ + "/stopped.csv";
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        cli::stopRequest() = true;
    });
    const CliRun run = cli({"log", "--csv", path});
    stopper.join();
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    const LogFile log = readLog(path);
    EXPECT_GE(log.rows.size(), 10U);
    ASSERT_FALSE(log.text.empty());
    EXPECT_EQ(log.text.back(), '\n');
    expectRowsInOrder(log);
}

// Enter on the terminal marks the log while it records, and the log still reads back.
TEST_F(CliLog, EnterOnTheTerminalWritesNumberedMarkers) {
    int keyboard = -1;
    int terminal = -1;
    ASSERT_EQ(::openpty(&keyboard, &terminal, nullptr, nullptr, nullptr), 0);
    const std::string path = directory_ + "/marked.csv";
    std::thread typist([keyboard] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        EXPECT_EQ(::write(keyboard, "\n", 1), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        EXPECT_EQ(::write(keyboard, "a note\n\n", 9), 9); // anything typed before Enter
    });
    const sim::MapAndAxes sample = sim::sampleMap();
    controller().setAxes(sample.rowAxis, sample.columnAxis);
    const CliRun run = cli({"log", "--seconds", "2.5", "--csv", path}, terminal);
    typist.join();
    ::close(keyboard);
    ::close(terminal);
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_NE(run.err.find("Enter zapisuje znacznik"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Znacznik 3 w "), std::string::npos) << run.err;

    const ReadingsLogRead read = readReadingsLog(path);
    ASSERT_TRUE(read.ok()) << read.error;
    // The header names the axes the readings were taken under: the controller's.
    EXPECT_EQ(read.log->axes, std::optional<MapAxes>(MapAxes{sample.rowAxis, sample.columnAxis}));
    const std::vector<LogMarker>& markers = read.log->markers;
    ASSERT_EQ(markers.size(), 3U) << fileContents(path);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(markers[i].number, i + 1);
    }
    EXPECT_GT(markers[0].seconds, 0.3);
    EXPECT_GT(markers[1].seconds, markers[0].seconds + 0.3);
    // Typed together; the terminal may hand the second line over a look later.
    EXPECT_NEAR(markers[2].seconds, markers[1].seconds, 0.1);
    // The samples seen before the key are in the log before its marker.
    EXPECT_GE(read.log->readings.front().seconds, 0.0);
    EXPECT_LE(read.log->readings.front().seconds, markers[0].seconds);
}

// A script's stdin is not the user's keyboard: it is neither read nor marks the log.
TEST_F(CliLog, StdinThatIsNoTerminalIsLeftAlone) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], "\n\n", 2), 2);
    const std::string path = directory_ + "/script.csv";
    const CliRun run = cli({"log", "--seconds", "1", "--csv", path}, pipeEnds[0]);
    ::close(pipeEnds[1]);
    char left[4] = {};
    EXPECT_EQ(::read(pipeEnds[0], left, sizeof left), 2);
    ::close(pipeEnds[0]);
    ASSERT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_EQ(run.err.find("Enter"), std::string::npos) << run.err;
    EXPECT_EQ(fileContents(path).find("# marker"), std::string::npos);
}

TEST_F(CliLog, AFileThatCannotBeWrittenFailsBeforeConnecting) {
    const std::string path = directory_ + "/no-such-folder/drive.csv";
    const CliRun run = cli({"log", "--seconds", "1", "--csv", path});
    EXPECT_EQ(run.code, cli::kExitFailed);
    EXPECT_EQ(run.err, "Nie można zapisać pliku " + path + ": No such file or directory\n");
    EXPECT_EQ(controller().requests().size(), 0U);
}

// The file is the user's until a controller is logging into it: a search that finds none
// neither empties an existing file nor leaves a new empty one behind.
TEST_F(CliLog, NoControllerLeavesTheFileAsItWas) {
    const std::string kept = directory_ + "/kept.csv";
    std::ofstream(kept) << "yesterday's drive\n";
    const std::string fresh = directory_ + "/fresh.csv";
    port().simulator.setSilent(true);
    for (const std::string& path : {kept, fresh}) {
        const CliRun run = cli({"log", "--seconds", "1", "--csv", path});
        EXPECT_EQ(run.code, cli::kExitFailed) << path;
    }
    EXPECT_EQ(fileContents(kept), "yesterday's drive\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

} // namespace
} // namespace krv::test
