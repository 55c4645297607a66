// The update's progress on stderr: a few plain lines in a log, one redrawn line on a terminal,
// with the percentage, the rows and the time left reckoned from the rows so far.

#include "cli/progress_line.h"

#include <gtest/gtest.h>
#include <sstream>

namespace krv::cli {
namespace {

using Phase = FirmwareUpdateProgress::Phase;
using namespace std::chrono_literals;

// A whole update: half a second a row, 272 rows.
void runUpdate(ProgressLine& line, int attempt = 1) {
    const auto start = ProgressLine::Clock::time_point{} + 100s;
    line.show({Phase::EnteringBootloader, 0, 272, attempt}, start);
    for (int row = 0; row <= 272; ++row) {
        line.show({Phase::Programming, row, 272, attempt}, start + row * 500ms);
    }
    for (Phase phase : {Phase::Ending, Phase::StartingApplication, Phase::Reconnecting}) {
        line.show({phase, 272, 272, attempt}, start + 137s);
    }
    line.finish();
}

TEST(ProgressLine, PlainLinesAtEachPhaseAndEachTenthOfTheRows) {
    std::ostringstream err;
    ProgressLine line(err, false);
    runUpdate(line);
    std::vector<std::string> lines;
    std::istringstream in(err.str());
    for (std::string text; std::getline(in, text);) {
        lines.push_back(text);
    }
    ASSERT_EQ(lines.size(), 15U) << err.str();
    EXPECT_EQ(lines[0], "Wejście do bootloadera");
    EXPECT_EQ(lines[1], "Programowanie: 0 % (wiersze 0/272, pozostało ? s)");
    EXPECT_EQ(lines[6], "Programowanie: 50 % (wiersze 136/272, pozostało 68 s)");
    EXPECT_EQ(lines[11], "Programowanie: 100 % (wiersze 272/272, pozostało 0 s)");
    EXPECT_EQ(lines[14], "Ponowne łączenie ze sterownikiem");
    EXPECT_EQ(err.str().find('\r'), std::string::npos);
}

TEST(ProgressLine, OneRedrawnLineOnATerminal) {
    std::ostringstream err;
    ProgressLine line(err, true);
    runUpdate(line, 3);
    const std::string text = err.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "only the finish ends the line";
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("\rProgramowanie (próba 3): 50 % (wiersze 136/272, pozostało 68 s)\x1b[K"),
              std::string::npos);
}

} // namespace
} // namespace krv::cli
