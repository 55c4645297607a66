#pragma once
// Undo and redo of the changes the tool made to the controller's map, axes and settings: each
// change is kept as the snapshot before and after it. Undo writes the "before" of the newest
// change back, redo its "after"; only the parts that differ from what the controller holds
// now need writing (differingParts).

#include "device/map_file/map_snapshot.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

namespace krv {

class MapHistory {
public:
    static constexpr size_t kMaxChanges = 200;

    // A change the controller acknowledged. Forgets the changes undone before it, and the
    // oldest change beyond kMaxChanges. A change that changed nothing is not kept.
    void record(const MapSnapshot& before, const MapSnapshot& after,
                std::chrono::system_clock::time_point at = std::chrono::system_clock::now());

    bool canUndo() const { return undone_ < changes_.size(); }
    bool canRedo() const { return undone_ > 0; }
    // The state undo restores, and the one redo restores; nothing when there is none.
    std::optional<MapSnapshot> undoTarget() const;
    std::optional<MapSnapshot> redoTarget() const;
    // When the change that undo takes back was made.
    std::optional<std::chrono::system_clock::time_point> undoTargetTime() const;
    // Called once the controller holds the target.
    void undone();
    void redone();

private:
    struct Change {
        MapSnapshot before;
        MapSnapshot after;
        std::chrono::system_clock::time_point at;
    };
    std::vector<Change> changes_; // oldest first
    size_t undone_ = 0;           // newest changes that are undone
};

} // namespace krv
