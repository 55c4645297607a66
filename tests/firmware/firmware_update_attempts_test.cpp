// The programming attempts and what follows them: retries of the bootloader sequence, giving
// up after ten, a controller that is programmed but not found again, and a port that vanishes
// in the middle of programming.

#include "lang/program_texts.h"
#include "tests/firmware/update_fixture.h"

#include <algorithm>

namespace krv::test {
namespace {

using Ops = std::vector<Op>;

const std::u16string kProgrammingFailed(texts::kProgrammingFailed);

TEST_F(FirmwareUpdateTest, QueryFailingTwiceLeadsToOneWriteInTheThirdAttempt) {
    connectAndPoll();
    controller_.refuse(Op::QueryBootloader, 2);
    window_.answerFiles({firmwareFile("good.afm")});

    clickUpdate();

    EXPECT_EQ(window_.results, (std::vector<bool>{true}));
    // Every attempt starts by asking for the bootloader, even once the controller is in it.
    EXPECT_EQ(controller_.log(),
              (Ops{Op::EnterBootloader, Op::QueryBootloader, Op::EnterBootloader,
                   Op::QueryBootloader, Op::EnterBootloader, Op::QueryBootloader,
                   Op::EndProgramming, Op::StartApplication, Op::Identify, Op::Identify}));
    const Ops all = controller_.log(true);
    const auto firstRow = std::find(all.begin(), all.end(), Op::WriteRow);
    EXPECT_EQ(std::count(all.begin(), firstRow, Op::QueryBootloader), 3);
    EXPECT_EQ(controller_.count(Op::WriteRow), kFullImageRows);
    EXPECT_EQ(window_.sleeps, (std::vector{1000ms, 1000ms})) << "no pause after a failed query";
    std::vector<int> attempts;
    for (const FirmwareUpdateProgress& shown : window_.progress) {
        if (shown.phase == FirmwareUpdateProgress::Phase::EnteringBootloader) {
            attempts.push_back(shown.attempt);
            EXPECT_EQ(shown.rowsWritten, 0) << "each attempt starts from the first row";
        }
    }
    EXPECT_EQ(attempts, (std::vector{1, 2, 3}));
    EXPECT_TRUE(holdsSampleImage());
    EXPECT_TRUE(messages_.messages().empty());
    EXPECT_TRUE(pollingResumed());
}

TEST_F(FirmwareUpdateTest, RefusedEnterBootloaderDoesNotEndTheAttempt) {
    connectAndPoll();
    // Left in its bootloader behind the tool's back: it refuses to be sent there again.
    controller_.controller.setMode(sim::ControllerMode::Bootloader);
    controller_.refuse(Op::EnterBootloader);
    window_.answerFiles({firmwareFile("good.afm")});

    clickUpdate();

    EXPECT_EQ(window_.results, (std::vector<bool>{true}));
    EXPECT_EQ(controller_.log(), (Ops{Op::EnterBootloader, Op::QueryBootloader, Op::EndProgramming,
                                      Op::StartApplication, Op::Identify, Op::Identify}));
    EXPECT_TRUE(holdsSampleImage());
}

TEST_F(FirmwareUpdateTest, StartApplicationFailingEveryTimeWritesTheImageTenTimesAndFails) {
    connectAndPoll();
    controller_.refuse(Op::StartApplication);
    window_.answerFiles({firmwareFile("good.afm")});

    clickUpdate();

    EXPECT_EQ(window_.results, (std::vector<bool>{false}));
    EXPECT_EQ(controller_.count(Op::WriteRow), 10 * kFullImageRows);
    for (Op op :
         {Op::EnterBootloader, Op::QueryBootloader, Op::EndProgramming, Op::StartApplication}) {
        EXPECT_EQ(controller_.count(op), 10);
    }
    EXPECT_EQ(controller_.count(Op::Identify), 0) << "no reconnection after a failure";
    EXPECT_EQ(window_.sleeps, std::vector<std::chrono::milliseconds>(10, 1000ms));
    const auto shown = messages_.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kProgrammingFailed);
    EXPECT_EQ(shown[0].style, MB_OK | MB_ICONERROR);
    EXPECT_EQ(messages_.cursorDepths[0], 1);
    EXPECT_EQ(window_.waitCursorDepth(), 0);
    EXPECT_TRUE(linkMarkedLost()) << "no window goes on saying connected over frozen readings";

    // The controller waits in its bootloader: the reconnect finds it and offers the update.
    controller_.refuse(Op::StartApplication, 0);
    window_.answerFiles({firmwareFile("good.afm")});
    device_->reconnect();
    EXPECT_EQ(window_.updates, (std::vector<bool>{false, true}));
    EXPECT_EQ(window_.results, (std::vector<bool>{false, true}));
    EXPECT_EQ(messages_.messages().back().text, texts::kNeedsReprogramming);
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(controller_.controller.state().mode, sim::ControllerMode::Application);
}

TEST_F(FirmwareUpdateTest, ProgrammedControllerNotFoundAgainIsReportedAndStillASuccess) {
    connectAndPoll();
    controller_.refuse(Op::Identify);
    window_.answerFiles({firmwareFile("good.afm")});

    clickUpdate();

    EXPECT_EQ(window_.results, (std::vector<bool>{true}));
    EXPECT_TRUE(holdsSampleImage());
    // The search ran as at start-up, but the question is not the update's to ask: the
    // window's reconnect takes over.
    EXPECT_EQ(window_.demoQuestions(), 0);
    EXPECT_FALSE(device_->connected);
    const auto shown = messages_.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kProgrammingFailed);
    EXPECT_EQ(shown[0].style, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(linkMarkedLost());
}

// The cable is pulled while rows are written: the port's error reaches the button's handler,
// and the controller, left in its bootloader half programmed, is found there at the next start
// and programmed through the forced update.
TEST_F(FirmwareUpdateTest, PortVanishingMidProgrammingIsReportedAndRecoveredAtNextStart) {
    connectAndPoll();
    controller_.atRow(100, [this] { simulator_.vanishOnNextRequest(true); });
    const std::u16string file = firmwareFile("good.afm");
    window_.answerFiles({file});

    clickUpdate();

    EXPECT_EQ(window_.updates, (std::vector<bool>{false}));
    EXPECT_TRUE(window_.results.empty()) << "the update left by the error object";
    auto shown = messages_.messages();
    ASSERT_EQ(shown.size(), 1u);
    const std::u16string prefix = u"CKorrinDlg::OnClickedBtnDeviceUpdate()\n";
    EXPECT_EQ(shown[0].text.substr(0, prefix.size()), prefix);
    EXPECT_GT(shown[0].text.size(), prefix.size()) << "the error's own text follows";
    EXPECT_EQ(shown[0].caption, u"Emulator KRV");
    EXPECT_EQ(shown[0].style, MB_OK);
    EXPECT_EQ(shown[0].owner, window_.messageOwner());
    EXPECT_EQ(window_.waitCursorDepth(), 0) << "the wait cursor went with the error";
    EXPECT_TRUE(linkMarkedLost());
    EXPECT_EQ(controller_.controller.state().mode, sim::ControllerMode::Bootloader);
    EXPECT_EQ(controller_.controller.state().program.writtenRows().size(), 100u);

    ASSERT_TRUE(portReplugged());
    restartDevice();
    window_.answerFiles({file});
    device_->connect(window_);

    shown = messages_.messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, texts::kNeedsReprogramming);
    EXPECT_EQ(window_.updates, (std::vector<bool>{false, true}));
    EXPECT_EQ(window_.results, (std::vector<bool>{true}));
    EXPECT_TRUE(holdsSampleImage());
    EXPECT_EQ(controller_.controller.state().mode, sim::ControllerMode::Application);
    EXPECT_TRUE(device_->connected);
}

} // namespace
} // namespace krv::test
