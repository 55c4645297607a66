#include "register/car_register.h"
#include "tests/register/register_states.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace krv::reg {
namespace {

using test::controllerState;

class RegisterTest : public ::testing::Test {
protected:
    int64_t time_ = 1'790'000'000;
    CarRegister reg_{":memory:", {.busyTimeoutMs = 100, .clock = [this] { return time_; }}};

    int64_t add(std::string plate, std::string customer = {}, std::string notes = {}) {
        CarDetails details;
        details.plate = std::move(plate);
        details.customer = std::move(customer);
        details.notes = std::move(notes);
        return reg_.addCar(details).value();
    }
    std::vector<std::string> platesFound(std::string_view text) {
        std::vector<std::string> plates;
        for (const Car& car : reg_.search(text)) {
            plates.push_back(car.details.plate);
        }
        return plates;
    }
};

TEST_F(RegisterTest, CarsAreFoundByPlateWhateverItsSpacingAndCase) {
    CarDetails details;
    details.plate = "WX 12345";
    details.vin = "WVWZZZ1JZXW000001";
    details.make = "Skoda";
    details.model = "Octavia";
    details.year = 2009;
    details.lpgKit = "BRC Sequent 24";
    const int64_t id = reg_.addCar(details).value();
    for (const std::string_view plate : {"WX 12345", "wx12345", "WX-12345", " wx 123 45"}) {
        SCOPED_TRACE(plate);
        ASSERT_TRUE(reg_.carByPlate(plate));
        EXPECT_EQ(reg_.carByPlate(plate)->id, id);
        EXPECT_EQ(reg_.carByPlate(plate)->details, details);
    }
    // The same plate written otherwise is the same car, not a second one.
    details.plate = "wx-12345";
    EXPECT_FALSE(reg_.addCar(details));
    details.plate = "  ";
    EXPECT_FALSE(reg_.addCar(details));
    EXPECT_FALSE(reg_.carByPlate("WX 12346"));
}

TEST_F(RegisterTest, EditedDetailsAreKeptWithTheirTime) {
    const int64_t id = add("KR 5678");
    time_ += 600;
    CarDetails details = reg_.car(id)->details;
    details.phone = "+48 600 100 200";
    details.notes = "wtryski Valtek, filtr fazy lotnej wymieniony";
    reg_.updateCar(id, details);
    const Car car = *reg_.car(id);
    EXPECT_EQ(car.details, details);
    EXPECT_EQ(car.changed, car.created + 600);
}

TEST_F(RegisterTest, SearchLooksInEveryDetailAndPutsTheNewestVisitFirst) {
    add("WX 12345", "Jan Kowalski");
    add("KR 5678", "Anna Nowak", "100% LPG, reduktor Tomasetto");
    add("PO 1A234", {}, "klient z Wrześni");
    time_ += 100;
    reg_.recordState(reg_.carByPlate("PO 1A234")->id, controllerState(40), Cause::Connected);
    const struct {
        std::string_view text;
        std::vector<std::string> plates;
    } cases[] = {
        {"", {"PO 1A234", "KR 5678", "WX 12345"}}, // visited first, then newest added
        {"wx12", {"WX 12345"}},                    // the plate as typed, without its space
        {"x 1", {"WX 12345"}},
        {"kowal", {"WX 12345"}},
        {"TOMASETTO", {"KR 5678"}},
        {"100%", {"KR 5678"}}, // % is a character, not a wildcard
        {"1_0", {}},
        {"Wrześni", {"PO 1A234"}},
        {"BMW", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(platesFound(c.text), c.plates);
    }
}

TEST_F(RegisterTest, AnUnchangedStateIsOneVersionSeenAgain) {
    const int64_t car = add("WX 12345");
    const int64_t first = reg_.recordState(car, controllerState(40), Cause::Connected);
    time_ += 3600;
    EXPECT_EQ(reg_.recordState(car, controllerState(40), Cause::Connected), first);
    time_ += 60;
    const int64_t edited = reg_.recordState(car, controllerState(40, 3), Cause::Edit);
    time_ += 60;
    // Back to the first state: a version of its own, so the timeline reads in order.
    const int64_t back = reg_.recordState(car, controllerState(40), Cause::Restore);
    time_ += 60;
    // The same map under other firmware is another state.
    const int64_t updated =
        reg_.recordState(car, controllerState(40, 0, 0x0106), Cause::FirmwareUpdate);

    const std::vector<Version> versions = reg_.versions(car);
    ASSERT_EQ(versions.size(), 4u);
    EXPECT_EQ(versions[0].id, first);
    EXPECT_EQ(versions[0].timesSeen, 2);
    EXPECT_EQ(versions[0].lastSeen, versions[0].firstSeen + 3600);
    EXPECT_EQ(versions[1].id, edited);
    EXPECT_EQ(versions[1].cause, Cause::Edit);
    EXPECT_EQ(versions[1].state, controllerState(40, 3));
    EXPECT_EQ(versions[2].id, back);
    EXPECT_EQ(versions[2].cause, Cause::Restore);
    EXPECT_EQ(versions[3].id, updated);
    EXPECT_EQ(versions[3].state.firmwareVersion, 0x0106);
    EXPECT_NE(versions[0].fingerprint, versions[1].fingerprint);
    EXPECT_EQ(versions[0].fingerprint, versions[2].fingerprint);
    EXPECT_EQ(reg_.car(car)->lastVisit, time_);
    // Each car's states are its own: another car's same map is its own version.
    EXPECT_NE(reg_.recordState(add("KR 5678"), controllerState(40), Cause::Connected), first);
}

TEST_F(RegisterTest, StatesKeepEveryWireValue) {
    ControllerData data = controllerState(0);
    for (size_t i = 0; i < data.state.cells.size(); ++i) {
        data.state.cells[i] = static_cast<uint8_t>(i * 7);
    }
    data.state.rows = {-32768, -1, 0, 1, 255, 256, 1000, 32767, 5, 6, 7, 8, 9, 10, 11, 12};
    data.state.columns = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 254, 255};
    data.state.rpmDivider = 4;
    data.state.noiseDelta = 200;
    data.state.noisePeriod = 0xBEEF;
    data.deviceType = 0x7F;
    data.firmwareVersion = 0xFFFF;
    const int64_t id = reg_.recordState(add("WX 12345"), data, Cause::Connected);
    EXPECT_EQ(reg_.version(id)->state, data);
    EXPECT_FALSE(decodeState(std::vector<uint8_t>(10)));
}

TEST_F(RegisterTest, TheTimelineHoldsEverythingOfAVisitInOrder) {
    const int64_t car = add("WX 12345");
    const int64_t other = add("KR 5678");
    const int64_t start = time_;
    const int64_t version = reg_.recordState(car, controllerState(40), Cause::Connected);
    time_ += 10;
    reg_.attachLog(car, "/logs/2026-12-11_drive.csv");
    time_ += 10;
    MapSnapshot proposal = controllerState(41).state;
    reg_.recordDrive(car, {"/logs/2026-12-11_drive.csv", 17, 2400, proposal});
    time_ += 10;
    reg_.recordFirmwareUpdate(car, {"EMU 1.6.afm", 0x0106, 0xA1B2C3D4, true});
    time_ += 10;
    reg_.addNote(car, "klient zgłasza szarpanie na 2000 obr.");
    reg_.addNote(other, "not this car's");

    using Kind = TimelineEntry::Kind;
    const std::vector<TimelineEntry> timeline = reg_.timeline(car);
    ASSERT_EQ(timeline.size(), 5u);
    EXPECT_EQ(timeline[0].kind, Kind::Seen);
    EXPECT_EQ(timeline[0].versionId, version);
    EXPECT_EQ(timeline[0].at, start);
    EXPECT_EQ(timeline[1].kind, Kind::Log);
    EXPECT_EQ(timeline[1].text, "/logs/2026-12-11_drive.csv");
    EXPECT_EQ(timeline[2].kind, Kind::Drive);
    EXPECT_EQ(timeline[2].cellsLearned, 17);
    EXPECT_EQ(timeline[2].readingsUsed, 2400);
    EXPECT_EQ(timeline[3].kind, Kind::FirmwareUpdate);
    EXPECT_EQ(timeline[3].firmwareVersion, 0x0106);
    EXPECT_EQ(timeline[3].checksum, 0xA1B2C3D4u);
    EXPECT_TRUE(timeline[3].succeeded);
    EXPECT_EQ(timeline[4].kind, Kind::Note);
    EXPECT_EQ(timeline[4].at, start + 40);
    EXPECT_EQ(timeline[4].text, "klient zgłasza szarpanie na 2000 obr.");
}

TEST(RegisterFile, MigratesALayoutOneRegisterKeepingItsCars) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "register.sqlite").string();
    {
        Database old(path);
        migrate(old, 1);
        old.exec("INSERT INTO cars(plate, plate_key, make, created, changed) "
                 "VALUES('WX 12345', 'WX12345', 'Skoda', 100, 100)");
        Statement version = old.prepare(
            "INSERT INTO versions(car_id, fingerprint, device_type, firmware_version, state, "
            "cause, first_seen) VALUES(1, 7, 1, 261, ?, 1, 200)");
        version.bind(1, std::span<const uint8_t>(encodeState(controllerState(40).state))).run();
        old.exec("INSERT INTO sightings(version_id, at, cause) VALUES(1, 200, 1), (1, 500, 1)");
    }
    CarRegister reg(path);
    EXPECT_EQ(schemaVersionOf(reg.database()), kSchemaVersion);
    const std::optional<Car> car = reg.carByPlate("WX 12345");
    ASSERT_TRUE(car);
    EXPECT_EQ(car->details.make, "Skoda");
    EXPECT_EQ(car->details.lpgKit, "");
    EXPECT_EQ(car->lastVisit, 500); // worked out from the sightings the old layout had
    EXPECT_EQ(reg.search("skoda").size(), 1u);
    const Recognition near = reg.recognise(controllerState(40, 3).state);
    ASSERT_EQ(near.closest.size(), 1u);
    EXPECT_EQ(near.closest[0].differingCells, 3);
    ASSERT_EQ(reg.versions(car->id).size(), 1u);
    EXPECT_EQ(reg.versions(car->id)[0].timesSeen, 2);
    reg.addNote(car->id, "po migracji");
    EXPECT_EQ(reg.timeline(car->id).back().text, "po migracji");
}

TEST(RegisterFile, TwoProgramsShareOneRegister) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "Morvelcast" / "register.sqlite").string();
    CarRegister window(path);
    CarRegister cli(path);
    CarDetails details;
    details.plate = "WX 12345";
    const int64_t car = cli.addCar(details).value();
    cli.recordState(car, controllerState(40), Cause::Connected);
    // The window sees what the command line committed, and writes beside it.
    ASSERT_TRUE(window.carByPlate("WX 12345"));
    window.recordState(car, controllerState(40, 2), Cause::Edit);
    EXPECT_EQ(cli.versions(car).size(), 2u);
    Statement mode = window.database().prepare("PRAGMA journal_mode");
    mode.step();
    EXPECT_EQ(mode.text(0), "wal");
    Statement sync = window.database().prepare("PRAGMA synchronous");
    sync.step();
    EXPECT_EQ(sync.integer(0), 2); // FULL
}

} // namespace
} // namespace krv::reg
