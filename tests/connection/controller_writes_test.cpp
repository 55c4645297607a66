// Every kind of write against every fault the simulated controller can show at each of its
// parts: a refusal, silence before the part takes effect, silence after it did. Where the link
// lives the controller ends whole (all old or all new) and the outcome holds what it holds;
// where it does not, the outcome says the state is to be read again and allows for what the
// write may have left. And a write never reaches another controller put behind the same port.

#include "connection/controller_writes.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/error.h"
#include "platform/text.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"
#include "tests/support/map_keeping.h"
#include "tests/support/unavailable.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <system_error>

namespace krv::test {
namespace {

using sim::WriteRequestKind;
using Result = WriteOutcome::Result;

// Two cars' controllers behind one port: the cable is on car A until a request of the given
// kind to A gets lost on the way (or its reply does), and on car B from then on.
class TwoCars : public sim::ICommandHandler {
public:
    std::optional<sim::Frame> handle(const sim::Frame& request) override {
        if (onB_) {
            return carB.handle(request);
        }
        if (moveOn_ && moveOn_->matches(request)) {
            onB_ = true;
            if (movedAfterTaking_) {
                carA.handle(request);
            }
            return std::nullopt;
        }
        return carA.handle(request);
    }
    void moveCableOn(WriteRequestKind kind, bool afterTaking) {
        moveOn_ = kind;
        movedAfterTaking_ = afterTaking;
    }

    sim::CController carA;
    sim::CController carB;

private:
    std::atomic<bool> onB_{false};
    std::optional<WriteRequestKind> moveOn_; // set before the simulator runs
    bool movedAfterTaking_ = false;
};

MapSnapshot carAState() {
    MapSnapshot state;
    for (size_t i = 0; i < kMapCells; ++i) {
        state.cells[i] = static_cast<uint8_t>(40 + i % 50);
    }
    state.rpmDivider = 2;
    state.noiseDelta = 3;
    state.noisePeriod = 400;
    return state;
}

void give(sim::CController& controller, const MapSnapshot& state) {
    controller.setMap(state.cells);
    controller.setAxes(state.rows, state.columns);
    controller.setSettings({state.rpmDivider, state.noiseDelta, state.noisePeriod});
}

class ControllerWrites : public ::testing::Test {
protected:
    void SetUp() override {
        give(cars_.carA, carAState());
        MapSnapshot other = carAState();
        other.cells[7] = 200;
        other.columns[2] = 9;
        give(cars_.carB, other);
        // The port opened as the connection opens it, with read time-outs short enough for a
        // table of silences.
        try {
            simulator_.start();
        } catch (const std::system_error& error) {
            KRV_GTEST_UNAVAILABLE(std::string("no pseudo-terminal: ") + error.what());
        }
        ::setenv("KRV_PORTS", simulator_.slavePath().c_str(), 1);
        try {
            device_.port.open(1);
            device_.port.setState();
            device_.port.setTimeout({0, 1, 150, 1, 1000});
        } catch (IError* error) {
            const std::unique_ptr<IError> owned(error);
            FAIL() << "port: " << toUtf8(owned->format());
        }
    }

    sim::CController& car() { return cars_.carA; }
    MapSnapshot held() { return snapshotOfController(car()); }
    StateWrite request(WriteKind kind, const MapSnapshot& target) {
        StateWrite write;
        write.kind = kind;
        write.known = {device_.deviceType, device_.firmwareVersion, held()};
        write.target = target;
        return write;
    }

    TwoCars cars_;
    sim::CSimulator simulator_{cars_};
    CLPGDevice device_;
};

struct KindCase {
    const char* name;
    WriteKind kind;
    MapSnapshot (*target)(const MapSnapshot& from);
    MapRegion region;
};

MapSnapshot otherSettings(const MapSnapshot& from) {
    MapSnapshot to = from;
    to.noisePeriod = 900;
    return to;
}
MapSnapshot otherAxes(const MapSnapshot& from) {
    MapSnapshot to = from;
    to.columns[4] = 33;
    return to;
}
constexpr MapRegion kRegion{2, 3, 2, 2, MapRegion::kRaise, 5};
MapSnapshot steppedRegion(const MapSnapshot& from) {
    MapSnapshot to = from;
    for (int r = 2; r < 4; ++r) {
        for (int c = 3; c < 5; ++c) {
            to.cells[static_cast<size_t>(r * kMapColumns + c)] += 5;
        }
    }
    return to;
}
MapSnapshot otherCells(const MapSnapshot& from) {
    MapSnapshot to = from;
    to.cells[0] = 1;
    to.cells[239] = 2;
    return to;
}
MapSnapshot cleared(const MapSnapshot& from) {
    MapSnapshot to = from;
    to.cells.fill(0);
    return to;
}
MapSnapshot everything(const MapSnapshot& from) {
    return otherCells(otherAxes(otherSettings(from)));
}

const KindCase kKinds[] = {
    {"settings step", WriteKind::Settings, otherSettings, {}},
    {"header edit", WriteKind::Axes, otherAxes, {}},
    {"region step", WriteKind::RegionStep, steppedRegion, kRegion},
    {"block operation", WriteKind::Cells, otherCells, {}},
    {"Kasuj", WriteKind::Clear, cleared, {}},
    {"undo of three parts", WriteKind::Parts, everything, {}},
    {"map file load", WriteKind::Whole, everything, {}},
};

struct FaultPart {
    const char* name;
    WriteRequestKind request;
    WritePart part;
};
const FaultPart kFaultParts[] = {
    {"axes", {protocol::kAxesFrame, 0}, WritePart::Axes},
    {"settings", {protocol::kSettingsFrame, 0}, WritePart::Settings},
    {"map", {protocol::kMapFrame, 0}, WritePart::Map},
    {"region", {protocol::kAdjustRegionFrame, 0}, WritePart::Map},
    {"clear", {protocol::kCommandFrame, protocol::kClearMapTime}, WritePart::Map},
    {"store", {protocol::kCommandFrame, protocol::kStoreMap}, WritePart::Store},
};

enum class Fault { Refused, SilentBefore, SilentAfter };

TEST_F(ControllerWrites, EachKindMeetsEachFaultAtEachPart) {
    const MapSnapshot start = carAState();
    for (const KindCase& kind : kKinds) {
        for (const FaultPart& at : kFaultParts) {
            for (const Fault fault : {Fault::Refused, Fault::SilentBefore, Fault::SilentAfter}) {
                SCOPED_TRACE(std::string(kind.name) + ", " + at.name + ", fault " +
                             std::to_string(static_cast<int>(fault)));
                give(car(), start);
                sim::ControllerKnobs knobs;
                if (fault == Fault::Refused) {
                    knobs.refuseWritesOf = at.request;
                } else {
                    knobs.silentFrom = at.request;
                    knobs.silentAfterTaking = fault == Fault::SilentAfter;
                }
                car().setKnobs(knobs);
                car().clearRequests();
                device_.identityInDoubt = false;
                StateWrite write = request(kind.kind, kind.target(start));
                write.region = kind.region;
                const WriteOutcome outcome = writeToController(device_, write);

                const std::deque<sim::Frame> sent = car().requests();
                const bool met =
                    std::any_of(sent.begin(), sent.end(),
                                [&](const sim::Frame& frame) { return at.request.matches(frame); });
                const bool silenced = car().state().silenced;
                car().setKnobs({}); // the cable back in
                const MapSnapshot after = held();
                const bool whole = after == start || after == write.target;
                if (outcome.result == Result::LinkLost) {
                    EXPECT_TRUE(silenced);
                    EXPECT_EQ(outcome.part, at.part);
                    // What it may hold is allowed for when it answers again.
                    const ControllerData read{device_.deviceType, device_.firmwareVersion, after};
                    EXPECT_TRUE(sameController(
                        read, {device_.deviceType, device_.firmwareVersion, outcome.holds},
                        outcome.mayHold));
                    EXPECT_EQ(toUtf8(outcomeText(outcome)),
                              toUtf8(translate(texts::kWriteLinkLost)));
                    continue;
                }
                // A settings step whose map frame went unanswered had its settings taken.
                EXPECT_TRUE(!silenced || outcome.written());
                EXPECT_TRUE(whole) << "the controller was left mixed";
                EXPECT_EQ(outcome.holds, after);
                // The map the controller starts with next time is the one it holds.
                EXPECT_EQ(car().state().storedMap, after.cells);
                if (outcome.result == Result::Written) {
                    EXPECT_EQ(after, write.target);
                    EXPECT_TRUE(outcomeText(outcome).empty());
                } else {
                    EXPECT_TRUE(met);
                    ASSERT_EQ(outcome.result, Result::NotTaken);
                    EXPECT_TRUE(outcome.restored);
                    EXPECT_EQ(after, start);
                    EXPECT_EQ(outcome.part, at.part);
                    EXPECT_NE(outcomeText(outcome).find(translate(
                                  at.part == WritePart::Axes       ? texts::kWritePartAxes
                                  : at.part == WritePart::Settings ? texts::kWritePartSettings
                                  : at.part == WritePart::Store    ? texts::kWritePartStore
                                                                   : texts::kWritePartMap)),
                              std::u16string::npos);
                }
            }
        }
    }
}

// The fault-free paths keep their frames: nothing is read before a write while nothing failed.
TEST_F(ControllerWrites, WithoutFaultsOnlyTheWriteFramesGo) {
    const MapSnapshot start = held();
    const struct {
        WriteKind kind;
        MapSnapshot (*target)(const MapSnapshot&);
        std::vector<uint8_t> frames; // types, in order
    } cases[] = {
        {WriteKind::Settings, otherSettings, {protocol::kSettingsFrame, protocol::kMapFrame}},
        {WriteKind::Axes, otherAxes, {protocol::kAxesFrame}},
        {WriteKind::Cells, otherCells, {protocol::kMapFrame, protocol::kCommandFrame}},
        // The controller computes the cleared and stepped cells: the map is read back.
        {WriteKind::Clear,
         cleared,
         {protocol::kCommandFrame, protocol::kCommandFrame, protocol::kCommandFrame}},
        {WriteKind::Parts,
         everything,
         {protocol::kAxesFrame, protocol::kSettingsFrame, protocol::kMapFrame, protocol::kMapFrame,
          protocol::kCommandFrame}},
    };
    for (const auto& c : cases) {
        give(car(), start);
        car().clearRequests();
        const WriteOutcome outcome = writeToController(device_, request(c.kind, c.target(start)));
        EXPECT_EQ(outcome.result, Result::Written);
        std::vector<uint8_t> types;
        for (const sim::Frame& frame : car().requests()) {
            types.push_back(frame.type);
        }
        EXPECT_EQ(types, c.frames);
        EXPECT_EQ(outcome.holds, held());
    }
}

// Undo and redo write only the parts that differ, and the controller ends holding the target.
TEST_F(ControllerWrites, OnlyTheDifferingPartsAreWritten) {
    MapSnapshot start;
    for (size_t i = 0; i < kMapCells; ++i) {
        start.cells[i] = static_cast<uint8_t>(i);
    }
    start.rows[0] = -5;
    start.columns[3] = 40;
    start.noisePeriod = 700;
    MapSnapshot cellsOnly = start;
    cellsOnly.cells[239] = 7;
    MapSnapshot axesOnly = start;
    axesOnly.rows[15] = -32768;
    MapSnapshot settingsOnly = start;
    settingsOnly.rpmDivider = 200;
    const struct {
        const MapSnapshot& target;
        size_t axisFrames, settingsFrames, mapFrames;
    } cases[] = {{cellsOnly, 0, 0, 1}, {axesOnly, 1, 0, 0}, {settingsOnly, 0, 1, 1}};
    for (const auto& c : cases) {
        give(car(), start);
        car().clearRequests();
        const WriteOutcome write = writeToController(device_, request(WriteKind::Parts, c.target));
        EXPECT_EQ(write.result, Result::Written);
        EXPECT_EQ(write.holds, c.target);
        EXPECT_EQ(car().requests(protocol::kAxesFrame).size(), c.axisFrames);
        EXPECT_EQ(car().requests(protocol::kSettingsFrame).size(), c.settingsFrames);
        // The controller takes the map after every settings write too.
        EXPECT_EQ(car().requests(protocol::kMapFrame).size(), c.mapFrames);
        EXPECT_EQ(held(), c.target);
    }
}

// The controller's own arithmetic is what the outcome holds, not the tool's: a cell near the
// top stops where the controller stops it.
TEST_F(ControllerWrites, ARegionStepHoldsWhatTheControllerComputed) {
    MapSnapshot start = held();
    start.cells[2 * kMapColumns + 3] = 253;
    give(car(), start);
    MapSnapshot guessed = steppedRegion(start); // 253 + 5 wraps in the tool's bytes
    StateWrite write = request(WriteKind::RegionStep, guessed);
    write.region = kRegion;
    const WriteOutcome outcome = writeToController(device_, write);
    EXPECT_EQ(outcome.result, Result::Written);
    EXPECT_EQ(outcome.holds, held());
    EXPECT_EQ(outcome.holds.cells[2 * kMapColumns + 3], 255);
}

// A map file load whose read back gets no answer is not a difference.
TEST_F(ControllerWrites, AnUnansweredReadBackIsNotADifference) {
    const MapSnapshot start = held();
    sim::ControllerKnobs knobs;
    knobs.silentFrom = WriteRequestKind{protocol::kCommandFrame, protocol::kReadSettings};
    car().setKnobs(knobs);
    const WriteOutcome outcome =
        writeToController(device_, request(WriteKind::Whole, everything(start)));
    car().setKnobs({});
    EXPECT_EQ(outcome.result, Result::Unchecked);
    EXPECT_EQ(held(), everything(start));
    EXPECT_EQ(toUtf8(outcomeText(outcome)), toUtf8(translate(texts::kWriteUnchecked)));
    EXPECT_TRUE(device_.identityInDoubt); // the next write reads it first
}

// The cable moves to another car while a write's reply is lost, or between two writes: nothing
// of car A reaches car B, and the outcome carries what B holds.
TEST_F(ControllerWrites, AWriteNeverReachesTheCarTheCableMovedTo) {
    const struct {
        const char* name;
        WriteRequestKind lostOn;
        bool taken;
        WriteKind kind;
        MapSnapshot (*target)(const MapSnapshot&);
    } cases[] = {
        {"settings step retried",
         {protocol::kSettingsFrame, 0},
         false,
         WriteKind::Settings,
         otherSettings},
        {"block operation retried", {protocol::kMapFrame, 0}, true, WriteKind::Cells, otherCells},
        {"undo after the axes went",
         {protocol::kSettingsFrame, 0},
         false,
         WriteKind::Parts,
         everything},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TwoCars cars;
        give(cars.carA, carAState());
        MapSnapshot bState = carAState();
        bState.cells[7] = 200;
        give(cars.carB, bState);
        cars.moveCableOn(c.lostOn, c.taken);
        sim::CSimulator simulator{cars};
        try {
            simulator.start();
        } catch (const std::system_error& error) {
            KRV_GTEST_UNAVAILABLE(std::string("no pseudo-terminal: ") + error.what());
            return;
        }
        ::setenv("KRV_PORTS", simulator.slavePath().c_str(), 1);
        CLPGDevice device;
        device.port.open(1);
        device.port.setState();
        device.port.setTimeout({0, 1, 150, 1, 1000});
        StateWrite write;
        write.kind = c.kind;
        write.known = {device.deviceType, device.firmwareVersion, carAState()};
        write.target = c.target(carAState());
        const WriteOutcome outcome = writeToController(device, write);
        EXPECT_EQ(outcome.result, Result::OtherController);
        ASSERT_TRUE(outcome.found.has_value());
        EXPECT_EQ(outcome.found->state, bState);
        EXPECT_EQ(snapshotOfController(cars.carB), bState);
        EXPECT_EQ(cars.carB.state().counters.acknowledged, 0u) << "a write reached car B";

        // The next write, made from A's state, is checked first and goes nowhere either.
        const WriteOutcome next = writeToController(device, write);
        EXPECT_EQ(next.result, Result::OtherController);
        EXPECT_EQ(snapshotOfController(cars.carB), bState);
    }
}

} // namespace
} // namespace krv::test
