#include "device/map_file/map_backups.h"
#include "register/car_register.h"
#include "tests/register/register_states.h"
#include "tests/support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace krv::reg {
namespace {

using test::controllerState;

MapFileInfo savedAt(std::string saved, uint16_t firmware = 0x0105) {
    MapFileInfo info;
    info.firmwareVersion = firmware;
    info.saved = std::move(saved);
    return info;
}

TEST(BackupImport, TheFolderComesInOnceAsUnassignedChainsTheFitterCanGiveToCars) {
    test::TempFolder folder;
    const std::string backups = (folder.path() / "backups").string();
    // Two cars' maps: A seen at two connections, then edited; B once.
    const MapSnapshot a = controllerState(40).state;
    const MapSnapshot b = controllerState(70).state;
    ASSERT_TRUE(writeMapBackup(backups, "clear", a, savedAt("2026-03-01T10:00:00+01:00")).ok);
    ASSERT_TRUE(writeMapBackup(backups, "load", b, savedAt("2026-03-02T09:00:00+01:00")).ok);
    ASSERT_TRUE(writeMapBackup(backups, "calibration", a, savedAt("2026-04-05T12:30:00+02:00")).ok);
    // What else the folder holds is left alone; a damaged backup is named and skipped.
    std::ofstream(backups + "/notes.txt") << "not a backup\n";
    std::ofstream(backups + "/2026-05-01_10-00-00.000_clear.csv") << "Format,KRV map\n";

    CarRegister reg((folder.path() / "register.sqlite").string());
    const ImportSummary summary = reg.importBackups(backups);
    EXPECT_EQ(summary.imported, 3);
    EXPECT_EQ(summary.skipped, 0);
    ASSERT_EQ(summary.unreadable.size(), 1u);
    EXPECT_TRUE(summary.unreadable[0].ends_with("_clear.csv"));

    std::vector<UnassignedChain> chains = reg.unassigned();
    ASSERT_EQ(chains.size(), 2u);
    // The newest seen first; A is one version seen twice, at the times the files were saved.
    ASSERT_EQ(chains[0].versions.size(), 1u);
    const Version& seenTwice = chains[0].versions[0];
    EXPECT_EQ(seenTwice.state.state, a);
    EXPECT_EQ(seenTwice.timesSeen, 2);
    EXPECT_EQ(seenTwice.firstSeen, 1772355600); // 2026-03-01T09:00:00Z
    EXPECT_EQ(seenTwice.lastSeen, 1775385000);  // 2026-04-05T10:30:00Z
    EXPECT_EQ(seenTwice.cause, Cause::Imported);
    EXPECT_TRUE(seenTwice.source.ends_with("_clear.csv"));
    EXPECT_EQ(chains[1].versions[0].state.state, b);

    // A second start brings nothing twice.
    const ImportSummary again = reg.importBackups(backups);
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.skipped, 3);
    EXPECT_EQ(reg.unassigned().size(), 2u);

    CarDetails details;
    details.plate = "WX 12345";
    const int64_t car = reg.addCar(details).value();
    reg.assignChain(chains[0].fingerprint, car);
    EXPECT_EQ(reg.unassigned().size(), 1u);
    EXPECT_EQ(reg.versions(car).size(), 1u);
    EXPECT_EQ(reg.car(car)->lastVisit, 1775385000);
    ASSERT_EQ(reg.recognise(a).matching.size(), 1u);
    EXPECT_EQ(reg.recognise(a).matching[0].id, car);
    const Recognition near = reg.recognise(controllerState(40, 2).state);
    ASSERT_EQ(near.closest.size(), 1u);
    EXPECT_EQ(near.closest[0].car.id, car);
    // A backup made later of a state WX holds is WX's: nothing new to assign.
    ASSERT_TRUE(writeMapBackup(backups, "edit", a, savedAt("2026-06-01T08:00:00+02:00")).ok);
    const ImportSummary later = reg.importBackups(backups);
    EXPECT_EQ(later.imported, 0);
    EXPECT_EQ(later.skipped, 4);
    EXPECT_EQ(reg.unassigned().size(), 1u);
    // The folder stays as it was: the safety net.
    EXPECT_TRUE(std::filesystem::exists(backups + "/notes.txt"));
}

TEST(BackupImport, AMissingFolderImportsNothing) {
    CarRegister reg(":memory:");
    const ImportSummary summary = reg.importBackups("/nonexistent/krv/backups");
    EXPECT_EQ(summary.imported, 0);
    EXPECT_TRUE(reg.unassigned().empty());
}

} // namespace
} // namespace krv::reg
