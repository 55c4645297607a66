#pragma once
// Keeps a car's map from being lost: a backup file before anything overwrites the
// controller's map, axes or settings as a whole (and one per connection), undo and redo of
// every change the tool made, map files saved, loaded and compared, and a calibration result
// that waits for the link when its write failed. Controller work runs as connection jobs.

#include "connection/connection_jobs.h"
#include "device/map_file/map_history.h"
#include "device/map_file/map_snapshot.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace krv {

class CLPGConnection;
class CMapEmu1;

class CMapKeeper {
public:
    // Backup operation tags (file names end with them).
    static constexpr std::string_view kConnectedBackup = "connected";
    static constexpr std::string_view kClearBackup = "clear";
    static constexpr std::string_view kCalibrationBackup = "calibration";
    static constexpr std::string_view kLearnedBackup = "calibration-unsent";
    static constexpr std::string_view kLoadBackup = "load";
    static constexpr std::string_view kFirmwareBackup = "firmware-update";

    // showDeviceData: the window's refresh of the settings fields and the grid from the device.
    CMapKeeper(CLPGConnection& device, CMapEmu1& grid, IConnectionJobs& jobs, QWidget& window,
               std::function<void()> showDeviceData);

    // A backup of the controller's state as the window holds it, before an operation that
    // overwrites it as a whole. False (after saying so) when it could not be written: the
    // operation must not go on. Nothing to back up in the demo.
    bool backUp(std::string_view operation);
    // After a connection (or reconnection) has read the controller: a backup of what it read,
    // unless the last one held the same. A failure is said once per session.
    void onConnected();
    // After a reconnection has been shown: the calibration result still waiting is written now.
    void onReconnected();

    // A change the controller acknowledged; the device holds the state after it.
    void recordChange(const MapSnapshot& before);
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    void undo();
    void redo();

    void saveToFile();
    // Sends axes, settings and map from a file, stores the map, reads it all back and compares.
    void loadFromFile();
    // The load dialog in the backups folder.
    void loadBackup();
    void compareWithFile();
    void endCompare();
    bool isComparing() const;

    // Calibration: the start remembers the controller's map; the stop writes the learned one
    // after a backup of the old. When that write fails, the learned map is kept (and backed up)
    // and written after the next reconnection.
    void calibrationStarted();
    void writeCalibrationResult();
    bool calibrationResultWaiting() const { return learned_.has_value(); }

private:
    bool backUp(std::string_view operation, const MapSnapshot& snapshot);
    // Every job of the keeper goes through here: undo, redo and loads wait for the one that
    // runs, whose end moves the history.
    void runJob(IConnectionJobs::Job job, IConnectionJobs::Done done);
    // Writes target (only the parts that differ from the device), then done(succeeded).
    void writeState(const MapSnapshot& target, std::function<void(bool)> done);
    void step(bool undoing);
    void loadFrom(const std::u16string& folder);
    std::u16string chooseFile(const std::u16string& folder, int saveMode);
    void showError(const std::u16string& text);

    CLPGConnection& device_;
    CMapEmu1& grid_;
    IConnectionJobs& jobs_;
    QWidget& window_;
    std::function<void()> showDeviceData_;
    MapHistory history_;
    std::optional<MapSnapshot> lastConnectedBackup_;
    bool backupFailureSaid_ = false;
    MapSnapshot beforeCalibration_;
    std::optional<MapSnapshot> learned_; // the calibration result the controller has not taken
    std::u16string lastFolder_;
    int jobsRunning_ = 0;
};

} // namespace krv
