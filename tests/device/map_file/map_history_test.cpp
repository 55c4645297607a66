// Undo and redo over snapshots.

#include "device/map_file/map_history.h"

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

} // namespace
} // namespace krv
