#include "register/car_visit.h"
#include "tests/register/register_states.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace krv::reg {
namespace {

using test::controllerState;

class CarVisitTest : public ::testing::Test {
protected:
    CarRegister cars_{":memory:"};
    std::vector<std::u16string> faults_;
    CarVisit visit_{&cars_, [this](const std::u16string& message) { faults_.push_back(message); }};
    int64_t wx_ = car("WX 12345");
    int64_t kr_ = car("KR 5678");

    int64_t car(std::string plate) {
        CarDetails details;
        details.plate = std::move(plate);
        return cars_.addCar(details).value();
    }
    std::vector<Cause> causes(int64_t car) {
        std::vector<Cause> found;
        for (const TimelineEntry& entry : cars_.timeline(car)) {
            if (entry.kind == TimelineEntry::Kind::Seen) {
                found.push_back(entry.cause);
            }
        }
        return found;
    }
};

TEST_F(CarVisitTest, NothingIsRecordedUntilTheFitterSaysWhichCarItIs) {
    cars_.recordState(wx_, controllerState(40), Cause::Connected);
    const Recognition recognition = visit_.arrived(controllerState(40));
    ASSERT_EQ(recognition.matching.size(), 1u);
    EXPECT_EQ(recognition.matching[0].id, wx_);
    EXPECT_EQ(causes(wx_).size(), 1u);
    EXPECT_FALSE(visit_.currentId());

    visit_.choose(wx_);
    visit_.held(controllerState(40, 4), Cause::Edit);
    visit_.held(controllerState(40, 9), Cause::Calibration);
    visit_.logRecorded("/logs/drive.csv");
    visit_.driveLearned({"/logs/drive.csv", 12, 900, std::nullopt});
    visit_.firmwareUpdated({"/fw/EMU 1.7.afm", 0x0107, 0x1234ABCD, true});
    EXPECT_EQ(causes(wx_), (std::vector<Cause>{Cause::Connected, Cause::Connected, Cause::Edit,
                                               Cause::Calibration}));
    EXPECT_EQ(cars_.timeline(wx_).size(), 7u);
    EXPECT_EQ(cars_.timeline(wx_).back().kind, TimelineEntry::Kind::FirmwareUpdate);
    EXPECT_TRUE(cars_.timeline(kr_).empty());

    // The same controller back after a lost link: the car stays, its state is recorded.
    visit_.arrived(controllerState(40, 9));
    EXPECT_TRUE(visit_.confirmed());
    EXPECT_EQ(causes(wx_).back(), Cause::Connected);
    EXPECT_TRUE(faults_.empty());
}

TEST_F(CarVisitTest, AnotherCarsControllerIsNamedBeforeTheFirstWrite) {
    cars_.recordState(wx_, controllerState(40), Cause::Connected);
    cars_.recordState(kr_, controllerState(50), Cause::Connected);
    visit_.arrived(controllerState(40));
    visit_.choose(wx_);
    EXPECT_FALSE(visit_.wrongCarWarning(controllerState(40).state));

    // KR's controller plugged in while WX is chosen: WX stays chosen, KR is named, and the
    // state is nobody's until the fitter answers.
    visit_.arrived(controllerState(50));
    EXPECT_FALSE(visit_.confirmed());
    EXPECT_EQ(visit_.currentId(), wx_);
    const std::optional<std::u16string> warning = visit_.wrongCarWarning(controllerState(50).state);
    ASSERT_TRUE(warning);
    EXPECT_NE(warning->find(u"KR 5678"), std::u16string::npos);
    EXPECT_NE(warning->find(u"WX 12345"), std::u16string::npos);
    EXPECT_EQ(cars_.versions(wx_).size(), 1u);

    visit_.forget();
    EXPECT_FALSE(visit_.wrongCarWarning(controllerState(50).state));
}

TEST(CarVisitFaults, ARegisterFaultIsSaidAndNothingThrows) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "register.sqlite").string();
    CarRegister cars(path, {.busyTimeoutMs = 20, .clock = {}});
    CarDetails details;
    details.plate = "WX 12345";
    const int64_t wx = cars.addCar(details).value();
    std::vector<std::u16string> faults;
    CarVisit visit(&cars, [&](const std::u16string& message) { faults.push_back(message); });
    visit.arrived(controllerState(40));
    visit.choose(wx);

    Database other(path);
    other.exec("BEGIN EXCLUSIVE");
    visit.held(controllerState(41), Cause::Edit);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_NE(faults[0].find(u"register.sqlite"), std::u16string::npos);
    other.exec("ROLLBACK");

    CarVisit without(nullptr, {});
    EXPECT_TRUE(without.arrived(controllerState(40)).matching.empty());
    without.held(controllerState(41), Cause::Edit);
}

} // namespace
} // namespace krv::reg
