#include "lang/program_texts.h"
#include "platform/text.h"
#include "register/car_register.h"
#include "register/register_texts.h"
#include "tests/register/register_states.h"

#include <gtest/gtest.h>

namespace krv::reg {
namespace {

using test::controllerState;

// Three cars: WX with map 40 (and before that 30), KR with 50, PO with 50 as well (one template
// in two cars), and GD with 60 minus a few cells.
class RecognitionTest : public ::testing::Test {
protected:
    int64_t time_ = 1'790'000'000;
    CarRegister reg_{":memory:", {.busyTimeoutMs = 100, .clock = [this] { return time_; }}};
    int64_t wx_ = car("WX 12345");
    int64_t kr_ = car("KR 5678");
    int64_t po_ = car("PO 1A234");
    int64_t gd_ = car("GD 777");

    void SetUp() override {
        record(wx_, controllerState(30));
        record(wx_, controllerState(40));
        record(kr_, controllerState(50));
        record(po_, controllerState(50));
        record(gd_, controllerState(60, 20));
    }
    int64_t car(std::string plate) {
        CarDetails details;
        details.plate = std::move(plate);
        return reg_.addCar(details).value();
    }
    void record(int64_t car, const ControllerData& state) {
        time_ += 86400;
        reg_.recordState(car, state, Cause::Connected);
    }
    static std::vector<std::string> plates(const std::vector<Car>& cars) {
        std::vector<std::string> found;
        for (const Car& car : cars) {
            found.push_back(car.details.plate);
        }
        return found;
    }
};

TEST_F(RecognitionTest, NamesEveryCarThatHoldsTheStateAndGuessesOnlyWhenNoneDoes) {
    const struct {
        const char* what;
        MapSnapshot state;
        std::vector<std::string> matching;
        std::vector<std::pair<std::string, int>> closest;
    } cases[] = {
        {"one car", controllerState(40).state, {"WX 12345"}, {}},
        {"an older version of one car", controllerState(30).state, {"WX 12345"}, {}},
        // The newest visit first; never one of them picked.
        {"two cars with one template", controllerState(50).state, {"PO 1A234", "KR 5678"}, {}},
        {"none: the closest by differing cells",
         controllerState(60, 25).state,
         {},
         {{"GD 777", 5}, {"WX 12345", 240}, {"KR 5678", 240}}}, // ties: the older car first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Recognition recognition = reg_.recognise(c.state, 3);
        EXPECT_EQ(plates(recognition.matching), c.matching);
        std::vector<std::pair<std::string, int>> closest;
        for (const auto& near : recognition.closest) {
            closest.emplace_back(near.car.details.plate, near.differingCells);
        }
        EXPECT_EQ(closest, c.closest);
    }
}

TEST_F(RecognitionTest, ASettingOrFirmwareChangeKeepsTheCarRecognised) {
    ControllerData state = controllerState(40, 0, 0x0107);
    state.state.rpmDivider = 2;
    EXPECT_EQ(plates(reg_.recognise(state.state).matching), std::vector<std::string>{"WX 12345"});
}

TEST(RecognitionEmpty, AnEmptyRegisterOffersNothing) {
    CarRegister reg(":memory:");
    const Recognition recognition = reg.recognise(controllerState(40).state);
    EXPECT_TRUE(recognition.matching.empty());
    EXPECT_TRUE(recognition.closest.empty());
}

TEST_F(RecognitionTest, AnotherCarsMapIsNamedBeforeAWrite) {
    // The chosen car's own versions, old or new, pass; a map nobody has (a new one) passes.
    EXPECT_FALSE(reg_.wrongCar(wx_, controllerState(40).state));
    EXPECT_FALSE(reg_.wrongCar(wx_, controllerState(30).state));
    EXPECT_FALSE(reg_.wrongCar(wx_, controllerState(99).state));
    EXPECT_FALSE(reg_.wrongCar(kr_, controllerState(50).state));
    const std::optional<WrongCar> wrong = reg_.wrongCar(wx_, controllerState(60, 20).state);
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->holder.details.plate, "GD 777");
    // A car with no versions yet is still warned about another car's map.
    CarDetails fresh;
    fresh.plate = "EL 1";
    EXPECT_TRUE(reg_.wrongCar(reg_.addCar(fresh).value(), controllerState(60, 20).state));

    const std::u16string message = wrongCarMessage(*wrong, "WX 12345");
    EXPECT_NE(message.find(u"GD 777"), std::u16string::npos);
    EXPECT_NE(message.find(u"WX 12345"), std::u16string::npos);
    EXPECT_NE(message.find(toU16(localDate(wrong->seen))), std::u16string::npos);
    EXPECT_EQ(localDate(wrong->seen).size(), 10u);
}

} // namespace
} // namespace krv::reg
