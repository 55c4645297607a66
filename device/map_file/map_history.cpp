#include "device/map_file/map_history.h"

namespace krv {

void MapHistory::record(const MapSnapshot& before, const MapSnapshot& after,
                        std::chrono::system_clock::time_point at) {
    if (before == after) {
        return;
    }
    changes_.resize(changes_.size() - undone_);
    undone_ = 0;
    if (changes_.size() == kMaxChanges) {
        changes_.erase(changes_.begin());
    }
    changes_.push_back({before, after, at});
}

std::optional<MapSnapshot> MapHistory::undoTarget() const {
    if (!canUndo()) {
        return std::nullopt;
    }
    return changes_[changes_.size() - undone_ - 1].before;
}

std::optional<std::chrono::system_clock::time_point> MapHistory::undoTargetTime() const {
    if (!canUndo()) {
        return std::nullopt;
    }
    return changes_[changes_.size() - undone_ - 1].at;
}

std::optional<MapSnapshot> MapHistory::redoTarget() const {
    if (!canRedo()) {
        return std::nullopt;
    }
    return changes_[changes_.size() - undone_].after;
}

void MapHistory::undone() {
    if (canUndo()) {
        ++undone_;
    }
}

void MapHistory::redone() {
    if (canRedo()) {
        --undone_;
    }
}

} // namespace krv
