// krv-cli flash against the simulated controller: the window's update procedure with the file
// from the command line, the forced path for a controller waiting in its bootloader, and the
// files it must refuse before a single bootloader command.

#include "device/map_file/map_file.h"
#include "device/protocol_codes.h"
#include "lang/program_texts.h"
#include "platform/text.h"
#include "sim/afm/afm_builder.h"
#include "tests/cli/cli_fixture.h"
#include "tests/firmware/sample_image_check.h"
#include "tests/support/map_keeping.h"

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

// As the window's update: the map, axes and settings are backed up before the bootloader is
// entered, and an update that kept them says nothing more.
TEST_F(CliFlash, BacksUpTheMapFirstAndSaysNothingWhenTheUpdateKeptIt) {
    const MapSnapshot before = snapshotOfController(controller());
    size_t bootloaderFramesAtBackup = 1;
    port().handler.onRequest([&](const sim::Frame& request) {
        if (request.type == protocol::kEnterBootloaderFrame) {
            bootloaderFramesAtBackup = backupFiles(backupsFolder(), "_firmware-update.csv").size();
        }
    });
    const CliRun run = cli({"flash", sampleFile()});
    port().handler.onRequest({});
    EXPECT_EQ(run.code, cli::kExitDone) << run.err;
    const auto backups = backupFiles(backupsFolder(), "_firmware-update.csv");
    ASSERT_EQ(backups.size(), 1U);
    EXPECT_EQ(bootloaderFramesAtBackup, 1U) << "written before the bootloader was entered";
    const MapFileRead backup = readMapFile(backups[0]);
    ASSERT_TRUE(backup.ok()) << toUtf8(backup.error);
    EXPECT_EQ(backup.content->snapshot, before);
    EXPECT_EQ(run.err.find("krv-cli write-map"), std::string::npos) << run.err;
}

// Firmware that comes up with its map reset: the command says so and prints the command that
// writes the backup back, which then does (with --force when the version changed).
TEST_F(CliFlash, AnUpdateThatLostTheMapPrintsTheCommandThatRestoresIt) {
    for (const bool newVersion : {false, true}) {
        MapSnapshot car = snapshotOfController(controller());
        car.cells.fill(static_cast<uint8_t>(newVersion ? 120 : 90));
        controller().setMap(car.cells);
        port().handler.onRequest([&, newVersion](const sim::Frame& request) {
            if (request.type == protocol::kWriteRowFrame) {
                controller().setMap({});
                if (newVersion) {
                    auto knobs = controller().knobs();
                    knobs.version = 0x0101;
                    controller().setKnobs(knobs);
                }
            }
        });
        const CliRun run = cli({"flash", "--yes", sampleFile()});
        port().handler.onRequest({});
        EXPECT_EQ(run.code, cli::kExitDone) << run.err;
        const auto backups = backupFiles(backupsFolder(), "_firmware-update.csv");
        ASSERT_FALSE(backups.empty());
        const std::string restore = std::string("krv-cli write-map ") +
                                    (newVersion ? "--force " : "") + "'" + backups.back() + "'\n";
        EXPECT_NE(
            run.err.find(toUtf8(fillIn(texts::kCliMapChangedByUpdate, {toU16(backups.back())})) +
                         "\n  " + restore),
            std::string::npos)
            << run.err;
        std::vector<std::string> args{"write-map", backups.back()};
        if (newVersion) {
            args.insert(args.begin() + 1, "--force");
        }
        const CliRun restored = cli(args);
        EXPECT_EQ(restored.code, cli::kExitDone) << restored.err;
        EXPECT_EQ(snapshotOfController(controller()), car);
    }
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
