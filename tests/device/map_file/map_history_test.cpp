// Undo and redo over snapshots, and the writes that bring the simulated controller to a
// snapshot: only the parts that differ go out, and the controller ends holding it exactly.

#include "device/map_file/map_history.h"
#include "tests/device/device_on_simulator.h"
#include "tests/support/map_keeping.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

MapSnapshot withCell(uint8_t value) {
    MapSnapshot snapshot;
    snapshot.cells[100] = value;
    return snapshot;
}

TEST(MapHistory, UndoAndRedoWalkTheChanges) {
    MapHistory history;
    EXPECT_FALSE(history.undoTarget());
    history.record(withCell(1), withCell(1)); // changed nothing: not kept
    EXPECT_FALSE(history.canUndo());
    history.record(withCell(1), withCell(2));
    history.record(withCell(2), withCell(3));
    EXPECT_EQ(history.undoTarget(), withCell(2));
    history.undone();
    EXPECT_EQ(history.undoTarget(), withCell(1));
    EXPECT_EQ(history.redoTarget(), withCell(3));
    history.undone();
    EXPECT_FALSE(history.canUndo());
    history.undone(); // nothing left: no effect
    EXPECT_EQ(history.redoTarget(), withCell(2));
    history.redone();
    EXPECT_EQ(history.redoTarget(), withCell(3));
    // A new change forgets what was undone before it.
    history.record(withCell(2), withCell(9));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoTarget(), withCell(2));
}

TEST(MapHistory, KeepsTheNewestChanges) {
    MapHistory history;
    for (size_t i = 0; i <= MapHistory::kMaxChanges; ++i) {
        history.record(withCell(static_cast<uint8_t>(i)), withCell(static_cast<uint8_t>(i + 1)));
    }
    size_t undoable = 0;
    for (; history.canUndo(); history.undone()) {
        ++undoable;
    }
    EXPECT_EQ(undoable, MapHistory::kMaxChanges);
    EXPECT_EQ(history.redoTarget(), withCell(2)); // the oldest change went
}

class SnapshotWrites : public DeviceOnSimulator {
protected:
    MapSnapshot controllerSnapshot() const { return test::snapshotOfController(controller); }
};

TEST_F(SnapshotWrites, OnlyTheDifferingPartsAreWritten) {
    MapSnapshot start;
    for (size_t i = 0; i < kMapCells; ++i) {
        start.cells[i] = static_cast<uint8_t>(i);
    }
    start.rows[0] = -5;
    start.columns[3] = 40;
    start.noisePeriod = 700;
    const SnapshotWrite first =
        writeSnapshotParts(device, controllerSnapshot(), start, {true, true, true});
    ASSERT_TRUE(first.complete);
    EXPECT_EQ(first.holds, start);
    ASSERT_EQ(controllerSnapshot(), start);

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
        ASSERT_TRUE(writeSnapshotParts(device, start, start, {true, true, true}).complete);
        controller.clearRequests();
        const SnapshotParts parts = differingParts(start, c.target);
        const SnapshotWrite write = writeSnapshotParts(device, start, c.target, parts);
        EXPECT_TRUE(write.complete);
        EXPECT_EQ(write.holds, c.target);
        EXPECT_EQ(controller.requests(protocol::kAxesFrame).size(), c.axisFrames);
        EXPECT_EQ(controller.requests(protocol::kSettingsFrame).size(), c.settingsFrames);
        // The controller takes the map after every settings write too.
        EXPECT_EQ(controller.requests(protocol::kMapFrame).size(), c.mapFrames);
        EXPECT_EQ(controllerSnapshot(), c.target);
        EXPECT_EQ(readControllerState(device), c.target);
    }
}

// A refused write leaves what the controller held before, and says so.
TEST_F(SnapshotWrites, ARefusedWriteIsReportedAndTheReadBackTellsTheDifference) {
    const MapSnapshot before = controllerSnapshot();
    MapSnapshot target = before;
    target.cells[0] = 50;
    answerEverythingWith(protocol::kStatusFrame, {0, 0, 0, 0, 0, 0});
    const SnapshotWrite write = writeSnapshotParts(device, before, target, {true, false, false});
    EXPECT_FALSE(write.complete);
    EXPECT_EQ(write.holds, before);
    EXPECT_EQ(readControllerState(device), std::nullopt);

    auto knobs = controller.knobs();
    knobs.forcedReply.reset();
    controller.setKnobs(knobs);
    EXPECT_EQ(readControllerState(device), before);
}

} // namespace
} // namespace krv
