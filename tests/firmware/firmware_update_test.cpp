// The firmware update from the window's button and from the start-up search: a good file,
// the controller found in its bootloader, the files and situations that are refused.

#include "lang/program_texts.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tests/firmware/update_fixture.h"
#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace krv::test {
namespace {

using Ops = std::vector<Op>;

const std::u16string kProgrammingFailed(texts::kProgrammingFailed);
const std::u16string kWrongFile(texts::kWrongFirmwareFile);
const std::u16string kNewerController(texts::kControllerNewerThanFile);

std::u16string damaged(std::u16string_view fileName) {
    return fillIn(texts::kFirmwareFileDamaged, {fileName});
}

TEST_F(FirmwareUpdateTest, GoodFileProgramsTheControllerWhichIsFoundAgainAndPolled) {
    connectAndPoll();
    window_.answerFiles({firmwareFile("good.afm")}); // same version as the controller's

    clickUpdate();

    ASSERT_EQ(window_.results, (std::vector<bool>{true}));
    EXPECT_TRUE(holdsSampleImage());
    EXPECT_EQ(controller_.controller.state().mode, sim::ControllerMode::Application);
    // Found again: the search's probe asks who is there, then the connection on its own port.
    EXPECT_EQ(controller_.log(), (Ops{Op::EnterBootloader, Op::QueryBootloader, Op::EndProgramming,
                                      Op::StartApplication, Op::Identify, Op::Identify}));
    EXPECT_EQ(controller_.count(Op::WriteRow), 272);
    EXPECT_EQ(window_.sleeps, (std::vector{1000ms, 1000ms})); // after the query, before connect
    EXPECT_EQ(window_.cursorDepthAtSleep, (std::vector{1, 1}));
    EXPECT_EQ(window_.waitCursorDepth(), 0);
    EXPECT_TRUE(messages_.messages().empty()) << "no question for an equal version";
    EXPECT_TRUE(device_->connected);
    EXPECT_TRUE(pollingResumed());

    ASSERT_EQ(window_.dialogs.size(), 1u);
    EXPECT_EQ(window_.dialogs[0].initialDirectory,
              toU16(executableDirectory()) + u"Morvelcast Firmware/33EP");
    EXPECT_EQ(window_.dialogs[0].filter, u"Pliki firmware (*.afm)|*.afm|");
    EXPECT_EQ(window_.dialogs[0].defaultExtension, u"afm");

    // Progress: each phase in its order, every row of the image counted, all in one attempt.
    using Phase = FirmwareUpdateProgress::Phase;
    std::vector<Phase> phases;
    int rowsSeen = 0;
    for (const FirmwareUpdateProgress& shown : window_.progress) {
        if (phases.empty() || phases.back() != shown.phase) {
            phases.push_back(shown.phase);
        }
        EXPECT_EQ(shown.rowsTotal, kFullImageRows);
        EXPECT_EQ(shown.attempt, 1);
        EXPECT_GE(shown.rowsWritten, rowsSeen) << "rows never count backwards";
        rowsSeen = shown.rowsWritten;
    }
    EXPECT_EQ(phases, (std::vector{Phase::EnteringBootloader, Phase::Programming, Phase::Ending,
                                   Phase::StartingApplication, Phase::Reconnecting}));
    EXPECT_EQ(rowsSeen, kFullImageRows);
}

TEST_F(FirmwareUpdateTest, ButtonDoesNothingWithoutAConnection) {
    controller_.refuse(Op::Identify);
    device_->connect(window_);
    ASSERT_FALSE(device_->connected);
    window_.answerFiles({firmwareFile("good.afm")});

    clickUpdate();

    EXPECT_TRUE(window_.updates.empty());
    EXPECT_TRUE(window_.dialogs.empty());
    EXPECT_TRUE(programMemoryUntouched());
}

// The controller waits in its bootloader when the program starts: the search says so and
// runs the forced update, which asks about a file older than 0x0100 (the version a
// bootloader is taken to have) and about nothing else.
struct ForcedCase {
    const char* version;
    int answer; // to the question, when one is asked
    bool asked;
    bool programmed;
};

class ForcedUpdateTest : public FirmwareUpdateTest,
                         public ::testing::WithParamInterface<ForcedCase> {};

TEST_P(ForcedUpdateTest, ControllerInItsBootloaderAtStartIsUpdatedByForce) {
    const ForcedCase& c = GetParam();
    controller_.controller.setMode(sim::ControllerMode::Bootloader);
    window_.answerFiles({firmwareFile("forced.afm", {"--version", c.version})});
    if (c.asked) {
        messages_.scriptAnswer(IDOK); // the information comes first
        messages_.scriptAnswer(c.answer);
    }

    device_->connect(window_);

    const auto shown = messages_.messages();
    ASSERT_EQ(shown.size(), c.asked ? 2u : 1u);
    EXPECT_EQ(shown[0].text, texts::kNeedsReprogramming);
    EXPECT_EQ(shown[0].style, MB_OK | MB_ICONINFORMATION);
    if (c.asked) {
        EXPECT_EQ(shown[1].text, kNewerController);
        EXPECT_EQ(shown[1].style, MB_YESNO | MB_DEFBUTTON2) << "No is the default, no icon";
        EXPECT_EQ(messages_.cursorDepths[1], 1);
    }
    EXPECT_EQ(window_.updates, (std::vector<bool>{true}));
    EXPECT_EQ(controller_.count(Op::EnterBootloader), 0) << "it is in its bootloader already";
    EXPECT_EQ(window_.results, (std::vector<bool>{c.programmed}));
    EXPECT_EQ(holdsSampleImage(), c.programmed);
    EXPECT_EQ(programMemoryUntouched(), !c.programmed);
    // The update's result is identify's: connected through the nested search, or the port
    // counts as failed and the no-connection choice is offered.
    EXPECT_EQ(device_->connected, c.programmed);
    EXPECT_EQ(window_.demoQuestions(), c.programmed ? 0 : 1);
    EXPECT_FALSE(device_->pollingRunning) << "the forced update leaves polling to the window";
    EXPECT_EQ(window_.waitCursorDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(FileVersions, ForcedUpdateTest,
                         ::testing::Values(ForcedCase{"0x0100", IDNO, false, true},
                                           ForcedCase{"0xFFFF", IDNO, false, true},
                                           ForcedCase{"0x00FF", IDYES, true, true},
                                           ForcedCase{"0x00FF", IDNO, true, false}));

// Each refusal ends the update before the controller hears of it, and the polling that ran
// before goes on as if nothing had happened.
TEST_F(FirmwareUpdateTest, RefusalsLeaveTheControllerAndThePollingAlone) {
    struct Case {
        const char* name;
        std::vector<std::string> fileOptions; // empty name: the dialog is cancelled
        std::u16string message;               // empty: none
        bool dialogShown = true;
        bool otherDeviceType = false;
        bool missingFile = false;
        std::optional<size_t> keptBytes = {}; // the built file cut to this length
    };
    const Case cases[] = {
        {"other device type", {}, kProgrammingFailed, false, true},
        {"dialog cancelled", {}, u""},
        {"missing file", {}, damaged(u"missing.afm"), true, false, true},
        {"bad checksum", {"--bad-checksum"}, damaged(u"refused.afm")},
        {"empty file", {"--version", "0x0200"}, damaged(u"refused.afm"), true, false, false, 0},
        {"truncated file",
         {"--version", "0x0200"},
         damaged(u"refused.afm"),
         true,
         false,
         false,
         4096},
        {"target 0x0100", {"--target", "0x0100"}, kWrongFile},
        {"identification in other case", {"--id", "Morvelcastr_33EP"}, kWrongFile},
        {"identification cut short", {"--id", "MORVELCASTR_33"}, kWrongFile},
        {"older file, default answer", {"--version", "0x00FF"}, kNewerController},
    };
    connectAndPoll();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = messages_.messages().size();
        const auto dialogsBefore = window_.dialogs.size();
        const auto cursorBefore = window_.cursorBegins;
        device_->deviceType = c.otherDeviceType ? 18 : kServedDeviceType;
        if (c.missingFile) {
            window_.answerFiles({toU16((directory_.path() / "missing.afm").string())});
        } else if (!c.fileOptions.empty()) {
            const std::u16string file = firmwareFile("refused.afm", c.fileOptions);
            if (c.keptBytes) {
                std::filesystem::resize_file(toUtf8(file), *c.keptBytes);
            }
            window_.answerFiles({file});
        }

        clickUpdate();

        EXPECT_EQ(window_.results.back(), false);
        EXPECT_EQ(window_.results.size(), window_.updates.size());
        const auto shown = messages_.messages();
        if (c.message.empty()) {
            EXPECT_EQ(shown.size(), before);
        } else {
            ASSERT_EQ(shown.size(), before + 1);
            EXPECT_EQ(shown.back().text, c.message);
            EXPECT_EQ(shown.back().caption, u"Emulator KRV");
            EXPECT_EQ(shown.back().owner, window_.messageOwner());
            if (c.message != kNewerController) {
                EXPECT_EQ(shown.back().style, MB_OK | MB_ICONERROR);
            }
            // The device-type test comes before the dialog and the wait cursor.
            EXPECT_EQ(messages_.cursorDepths.back(), c.dialogShown ? 1 : 0);
        }
        EXPECT_EQ(window_.dialogs.size(), dialogsBefore + (c.dialogShown ? 1 : 0));
        const bool fileChosen = c.missingFile || !c.fileOptions.empty();
        EXPECT_EQ(window_.cursorBegins, cursorBefore + (fileChosen ? 1 : 0));
        EXPECT_EQ(window_.waitCursorDepth(), 0);
        EXPECT_EQ(controller_.log(), Ops{}) << "nothing reached the controller";
        EXPECT_TRUE(device_->pollingRunning);
        EXPECT_EQ(threads_.runningCount(), 1u);
        EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReadingsTimer), 100);
    }
    EXPECT_TRUE(programMemoryUntouched());
}

// Built, the files sit beside krv; installed in /usr/bin they are in the user's data folder.
TEST(FirmwareDirectoryTest, BesideTheExecutableFirstThenTheUserDataFolder) {
    TempFolder data;
    const char* before = std::getenv("XDG_DATA_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    const std::filesystem::path beside =
        std::filesystem::path(executableDirectory()) / "Morvelcast Firmware" / "33EP";
    const std::filesystem::path inData = data.path() / "Morvelcast" / "Firmware" / "33EP";
    ASSERT_FALSE(std::filesystem::exists(beside)) << "the test build keeps none beside";

    EXPECT_EQ(firmwareDirectory(), toU16(beside.string())) << "neither exists: as ever";
    std::filesystem::create_directories(inData);
    EXPECT_EQ(firmwareDirectory(), toU16(inData.string()));
    std::filesystem::create_directories(beside);
    EXPECT_EQ(firmwareDirectory(), toU16(beside.string()));
    std::filesystem::remove_all(beside.parent_path());

    if (before) {
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
}

} // namespace
} // namespace krv::test
