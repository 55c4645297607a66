#pragma once
// Keeps a car's map from being lost: a backup file before anything overwrites the
// controller's map, axes or settings as a whole (and one per connection), undo and redo of
// every change the tool made, map files saved, loaded and compared, and a calibration result
// that waits for the link when its write failed. Its writes go through the model of what the
// controller holds, which moves only with what the controller acknowledged.

#include "connection/controller_model.h"
#include "device/map_file/map_history.h"
#include "device/map_file/map_snapshot.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace krv {

class CMapEmu1;
class IFileChooser;

class CMapKeeper {
public:
    // Backup operation tags (file names end with them).
    static constexpr std::string_view kConnectedBackup = "connected";
    static constexpr std::string_view kClearBackup = "clear";
    static constexpr std::string_view kCalibrationBackup = "calibration";
    static constexpr std::string_view kLearnedBackup = "calibration-unsent";
    static constexpr std::string_view kLoadBackup = "load";
    static constexpr std::string_view kFirmwareBackup = "firmware-update";
    static constexpr std::string_view kSetAsideBackup = "previous-controller";
    static constexpr std::string_view kRestoreBackup = "restore";

    CMapKeeper(CControllerModel& model, CMapEmu1& grid, QWidget& window, IFileChooser& files);

    // A backup of what the controller holds (as acknowledged), before an operation that
    // overwrites it as a whole. False (after saying so) when it could not be written: the
    // operation must not go on. Nothing to back up in the demo.
    bool backUp(std::string_view operation);
    // After a connection (or reconnection) has read the controller into the model: a backup of
    // what it read, unless the last one held the same. A failure is said once per session.
    // Another controller than the model knew (previous: what it held) sets the history and a
    // waiting calibration result aside.
    void onConnected(CControllerModel::Arrival arrival, const MapSnapshot& previous, bool demo);
    // After a reconnection has been shown: the calibration result still waiting is written now.
    void onReconnected();
    // Before a firmware update: the backup of the map, remembered for the check after it.
    // False as backUp is.
    bool backUpBeforeUpdate();
    // After the update and the reconnect that read the controller again: when the map it holds
    // now differs from the backup taken before, says so and offers to write the backup back.
    void onUpdateEnded(bool programmed);

    // A change the controller acknowledged; the model holds the state after it.
    void recordChange(const MapSnapshot& before);
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    // What the newest change still in effect started from: what undo would bring back.
    std::optional<MapSnapshot> beforeLastChange() const { return history_.undoTarget(); }
    std::optional<std::chrono::system_clock::time_point> lastChangeTime() const {
        return history_.undoTargetTime();
    }
    void undo();
    void redo();

    void saveToFile();
    // A map file of snapshot where the fitter chooses.
    void saveToFile(const MapSnapshot& snapshot);
    // A map file the fitter chooses, read; nothing when cancelled or unreadable (said).
    std::optional<MapSnapshot> openMapFile();
    // Sends axes, settings and map from a file, stores the map, reads it all back and compares.
    void loadFromFile();
    // The load dialog in the backups folder.
    void loadBackup();
    void compareWithFile();
    // The grid shows snapshot's cells against the controller's (axes or settings that differ
    // are said).
    void compareWith(const MapSnapshot& snapshot);
    void endCompare();
    // Writes a kept version back like a map file load, after a backup; undo takes it back.
    void restore(const MapSnapshot& version);
    // Asked before every write to the controller; a write it refuses is not made.
    void setWriteGuard(std::function<bool()> guard) { writeGuard_ = std::move(guard); }
    bool mayWrite() const { return !writeGuard_ || writeGuard_(); }
    bool isComparing() const;

    // Calibration: the start remembers the controller's map; the stop writes the learned cells
    // over it after a backup of the old. When the backup or the write fails, the learned map is
    // kept until it is written or the fitter discards it (closing the window asks).
    void calibrationStarted();
    void writeCalibrationResult(const MapCells& learned);
    bool calibrationResultWaiting() const { return learned_.has_value(); }
    // A drive that met another controller: its cells, learned over what the first one held, wait
    // (in a backup as well) and go nowhere without the fitter's yes.
    void keepLearnedForOther(const MapSnapshot& learned);
    const std::optional<MapSnapshot>& calibrationResult() const { return learned_; }

private:
    bool backUp(std::string_view operation, const MapSnapshot& snapshot, bool sayFailure = true);
    // Writes the state that change gives when its turn comes (only the parts that differ from
    // what the controller holds then), then done(written) on this thread.
    void writeState(CControllerModel::Change change, std::u16string_view operation,
                    CControllerModel::Done done);
    void step(bool undoing);
    void loadFrom(const std::u16string& folder);
    // Sends the whole state like a map file load, stores it, reads it back and compares.
    void writeWhole(const MapSnapshot& target, std::u16string_view operation);
    std::u16string chooseFile(const std::u16string& folder, int saveMode);
    void showError(const std::u16string& text);
    void setAside(const MapSnapshot& previous);
    // A learned map that could not be backed up: the fitter chooses a place for it.
    void saveLearnedElsewhere(const MapSnapshot& learned);
    void writeLearned();

    CControllerModel& model_;
    CMapEmu1& grid_;
    QWidget& window_;
    IFileChooser& files_;
    MapHistory history_;
    // The histories of controllers set aside, by the fingerprint of the state each was left in:
    // a controller that comes back holding it gets its undo back.
    std::map<uint64_t, MapHistory> setAsideHistories_;
    std::optional<MapSnapshot> lastConnectedBackup_;
    std::optional<MapSnapshot> beforeUpdate_; // the backup of a firmware update under way
    bool backupFailureSaid_ = false;
    // The warning that another controller is connected is up; a reconnection meanwhile asks
    // its questions once it is closed.
    bool explainingOtherController_ = false;
    bool reconnectedMeanwhile_ = false;
    MapSnapshot beforeCalibration_;
    std::optional<MapSnapshot> learned_; // the calibration result the controller has not taken
    // The learned map came from another controller than the one now connected.
    bool learnedFromOther_ = false;
    // The learned map's write failed once: it waits for the link (said once).
    bool learnedWaitedForLink_ = false;
    // The map from before the drive is in a backup: the learned one may be written.
    bool learnedBackedUp_ = false;
    bool demo_ = false;
    std::u16string lastFolder_;
    std::function<bool()> writeGuard_;
};

} // namespace krv
