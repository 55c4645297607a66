// krv-cli flash against the simulated controller: the window's update procedure with the file
// from the command line, the forced path for a controller waiting in its bootloader, and the
// files it must refuse before a single bootloader command.

#include "device/protocol_codes.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "sim/afm/afm_builder.h"
#include "tests/cli/cli_fixture.h"
#include "tests/firmware/sample_image_check.h"

#include <filesystem>

namespace krv::test {
namespace {

class CliFlash : public CliTest {
protected:
    std::string firmwareFile(const sim::AfmContents& contents, const std::string& name) {
        const std::string path = directory_ + "/" + name;
        EXPECT_TRUE(sim::writeFile(path, sim::buildAfm(contents)));
        return path;
    }
    std::string sampleFile(uint16_t version = 0x0100) {
        sim::AfmContents contents;
        contents.image = sim::sampleImage();
        contents.fileVersion = version;
        return firmwareFile(contents, "sample-" + std::to_string(version) + ".afm");
    }
    size_t bootloaderFrames() const {
        return requestsOfType(protocol::kEnterBootloaderFrame) +
               requestsOfType(protocol::kErasePageFrame) + requestsOfType(protocol::kWriteRowFrame);
    }
};

TEST_F(CliFlash, ProgramsTheWholeImageAndFindsTheControllerAgain) {
    const CliRun run = cli({"flash", sampleFile()});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_TRUE(programMemoryHoldsSampleImage(controller()));
    EXPECT_EQ(controller().state().mode, sim::ControllerMode::Application);
    EXPECT_EQ(requestsOfType(protocol::kEnterBootloaderFrame), 1U);
    EXPECT_EQ(requestsOfType(protocol::kWriteRowFrame), 272U);
}

TEST_F(CliFlash, RecoversAControllerStartedInItsBootloader) {
    controller().setMode(sim::ControllerMode::Bootloader);
    const CliRun run = cli({"flash", sampleFile()});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    EXPECT_TRUE(programMemoryHoldsSampleImage(controller()));
    EXPECT_EQ(controller().state().mode, sim::ControllerMode::Application);
    EXPECT_EQ(requestsOfType(protocol::kEnterBootloaderFrame), 0U) << "the forced path";
    EXPECT_NE(run.err.find(toUtf8(texts::kNeedsReprogramming)), std::string::npos);
}

// A firmware half programmed leaves the controller in its bootloader: Ctrl+C in the middle of
// the rows is held until the controller runs the new firmware, then the command stops.
TEST_F(CliFlash, AStopDuringProgrammingIsHeldUntilTheUpdateIsWhole) {
    signalAt(
        SIGINT, [](const sim::Frame& request) { return request.type == protocol::kWriteRowFrame; },
        100);
    const CliRun run = cli({"flash", sampleFile()});
    EXPECT_EQ(run.code, cli::kExitStoppedBase + SIGINT) << run.err;
    EXPECT_TRUE(programMemoryHoldsSampleImage(controller()));
    EXPECT_EQ(controller().state().mode, sim::ControllerMode::Application);
    EXPECT_NE(run.err.find(toUtf8(texts::kCliStoppedAfterWrite)), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Sterownik ma teraz firmware w wersji " +
                           std::to_string(controller().knobs().version) + "."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(unheldSignals(), 0);
}

struct WrongFileCase {
    const char* what;
    std::function<void(sim::AfmContents&)> spoil;
    std::u16string said;
};

TEST_F(CliFlash, WrongFilesAreRefusedBeforeAnyBootloaderCommand) {
    const std::u16string damaged = fillIn(texts::kFirmwareFileDamaged, {u"wrong.afm"});
    const WrongFileCase cases[] = {
        {"another target", [](sim::AfmContents& c) { c.targetCode = 0x0100; },
         std::u16string(texts::kWrongFirmwareFile)},
        {"identification in other letter case",
         [](sim::AfmContents& c) { c.identification = "morvelcastr_33ep"; },
         std::u16string(texts::kWrongFirmwareFile)},
        {"a bad checksum", [](sim::AfmContents& c) { c.badChecksum = true; }, damaged},
        {"a truncated image", [](sim::AfmContents& c) { c.image.resize(100); }, damaged},
    };
    for (const WrongFileCase& wrong : cases) {
        sim::AfmContents contents;
        contents.image = sim::sampleImage();
        wrong.spoil(contents);
        const CliRun run = cli({"flash", firmwareFile(contents, "wrong.afm")});
        EXPECT_EQ(run.code, cli::kExitFailed) << wrong.what;
        EXPECT_NE(run.err.find(toUtf8(wrong.said)), std::string::npos) << wrong.what << run.err;
    }
    for (const std::string& unreadable : {directory_ + "/missing.afm", directory_}) {
        const CliRun run = cli({"flash", unreadable});
        EXPECT_EQ(run.code, cli::kExitFailed);
        EXPECT_EQ(run.err, "Nie można odczytać pliku " + unreadable + "\n");
    }
    EXPECT_EQ(bootloaderFrames(), 0U);
    EXPECT_EQ(controller().state().program.bytes(), sim::CController().state().program.bytes());
}

TEST_F(CliFlash, AnOlderFileNeedsYes) {
    auto knobs = controller().knobs();
    knobs.version = 0x0200;
    controller().setKnobs(knobs);
    const std::string older = sampleFile(0x01FF);

    const CliRun asked = cli({"flash", older});
    EXPECT_EQ(asked.code, cli::kExitFailed);
    EXPECT_NE(asked.err.find(toUtf8(texts::kControllerNewerThanFile)), std::string::npos);
    EXPECT_EQ(bootloaderFrames(), 0U);

    const CliRun agreed = cli({"flash", "--yes", older});
    EXPECT_EQ(agreed.code, cli::kExitDone) << agreed.err;
    EXPECT_TRUE(programMemoryHoldsSampleImage(controller()));
}

} // namespace
} // namespace krv::test
