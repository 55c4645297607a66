#include "app/map_keeper.h"

#include "connection/lpg_connection.h"
#include "device/map_file/map_backups.h"
#include "device/map_file/map_file.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "map/map_emu1.h"
#include "platform/atomic_file.h"
#include "platform/qt/open_file.h"
#include "platform/text.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

namespace krv {

namespace {

constexpr std::u16string_view kMapFileExtension = u"csv";

std::u16string caption() {
    return std::u16string(kMessageCaption);
}

std::u16string folderOf(const std::u16string& path) {
    const auto slash = path.rfind(u'/');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

} // namespace

CMapKeeper::CMapKeeper(CControllerModel& model, CMapEmu1& grid, QWidget& window,
                       IFileChooser& files)
    : model_(model), grid_(grid), window_(window), files_(files),
      lastFolder_(QDir::homePath().toStdU16String()) {
    grid_.setChangeRecorder([this](const MapSnapshot& before) { recordChange(before); });
}

void CMapKeeper::showError(const std::u16string& text) {
    showMessage(&window_, text, caption(), MB_ICONERROR);
}

bool CMapKeeper::backUp(std::string_view operation) {
    // Every overwrite as a whole starts here: a write the guard refuses leaves no backup.
    return mayWrite() && backUp(operation, model_.acknowledged());
}

bool CMapKeeper::backUp(std::string_view operation, const MapSnapshot& snapshot, bool sayFailure) {
    if (demo_) {
        return true;
    }
    const ControllerIdentity& identity = model_.identity();
    const MapBackupWrite write = writeMapBackup(
        operation, snapshot, mapFileInfoOf(identity.deviceType, identity.firmwareVersion));
    if (!write.ok && sayFailure) {
        showError(write.error);
    }
    return write.ok;
}

void CMapKeeper::onConnected(CControllerModel::Arrival arrival, const MapSnapshot& previous,
                             bool demo) {
    demo_ = demo;
    if (demo) {
        return;
    }
    if (arrival == CControllerModel::Arrival::Other) {
        setAside(previous);
    }
    const MapSnapshot& read = model_.acknowledged();
    if (lastConnectedBackup_ == read) {
        return;
    }
    if (backUp(kConnectedBackup, read, false)) {
        lastConnectedBackup_ = read;
    } else if (!backupFailureSaid_) {
        backupFailureSaid_ = true;
        backUp(kConnectedBackup, read);
    }
}

void CMapKeeper::setAside(const MapSnapshot& previous) {
    // The history and a waiting result belong to the controller that was there before:
    // undoing onto this one would write that car's map into this car.
    setAsideHistories_[fingerprintOf(previous)] = std::move(history_);
    const auto back = setAsideHistories_.find(fingerprintOf(model_.acknowledged()));
    if (back != setAsideHistories_.end()) {
        history_ = std::move(back->second);
        setAsideHistories_.erase(back);
    } else {
        history_ = MapHistory();
    }
    backUp(kSetAsideBackup, previous, false);
    if (learned_) {
        learnedFromOther_ = true;
    }
    if (!beforeUpdate_) { // after an update, the check that follows it asks
        // The box runs its own event loop: the reconnection's question about a waiting result
        // would come up over it, before the fitter has read why it is asked.
        explainingOtherController_ = true;
        showMessage(&window_, translate(texts::kOtherController), caption(), MB_ICONWARNING);
        explainingOtherController_ = false;
        if (std::exchange(reconnectedMeanwhile_, false)) {
            onReconnected();
        }
    }
}

void CMapKeeper::onReconnected() {
    if (explainingOtherController_) {
        reconnectedMeanwhile_ = true;
        return;
    }
    if (!learned_) {
        return;
    }
    if (learnedFromOther_) {
        if (showMessage(&window_, translate(texts::kWriteLearnedToOther), caption(),
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            return; // kept: the fitter may still save it, or discard it on closing
        }
        learnedFromOther_ = false;
    }
    if (!learnedBackedUp_) {
        learnedBackedUp_ = backUp(kCalibrationBackup, model_.acknowledged(), false);
        if (!learnedBackedUp_) {
            return; // never written without the old map kept first
        }
    }
    writeLearned();
}

void CMapKeeper::recordChange(const MapSnapshot& before) {
    history_.record(before, model_.acknowledged());
}

void CMapKeeper::writeState(CControllerModel::Change change, std::u16string_view operation,
                            CControllerModel::Done done) {
    if (!mayWrite()) {
        return;
    }
    model_.submit(
        {{}, std::move(change), WriteKind::Parts, {}, std::u16string(operation), std::move(done)});
}

void CMapKeeper::undo() {
    step(true);
}

void CMapKeeper::redo() {
    step(false);
}

void CMapKeeper::step(bool undoing) {
    const auto targetNow = [this, undoing] {
        return undoing ? history_.undoTarget() : history_.redoTarget();
    };
    // An edit in flight may yet give the step to take: the step waits for its turn.
    if (!targetNow() && !model_.busy()) {
        return;
    }
    if (!model_.loaded()) {
        showMessage(nullptr, translate(texts::kNoConnection), caption(), MB_OK);
        return;
    }
    // Taken from the history when its turn comes, after the edits before it are done.
    auto target = std::make_shared<std::optional<MapSnapshot>>();
    writeState([targetNow, target](const MapSnapshot&) { return *target = targetNow(); },
               u"CMapKeeper::undo()",
               [this, undoing](const WriteOutcome& outcome, const MapSnapshot&) {
                   // Otherwise the history stays where the controller is; the model says why.
                   if (!outcome.written()) {
                       return;
                   }
                   if (undoing) {
                       history_.undone();
                   } else {
                       history_.redone();
                   }
               });
}

std::u16string CMapKeeper::chooseFile(const std::u16string& folder, int saveMode) {
    return files_.choose(COpenFile(folder, translate(texts::kMapFileFilter),
                                   std::u16string(kMapFileExtension), saveMode));
}

void CMapKeeper::saveToFile() {
    saveToFile(model_.acknowledged());
}

void CMapKeeper::saveToFile(const MapSnapshot& snapshot) {
    const std::u16string path = chooseFile(lastFolder_, 1);
    if (path.empty()) {
        return;
    }
    lastFolder_ = folderOf(path);
    const ControllerIdentity& identity = model_.identity();
    const std::string text =
        formatMapFile(snapshot, mapFileInfoOf(identity.deviceType, identity.firmwareVersion));
    if (!replaceFileAtomically(toUtf8(path), text)) {
        const int error = errno;
        showError(translate(texts::kMapFileSaveFailed) + u"\n" + path + u": " +
                  toU16(std::strerror(error)));
    }
}

void CMapKeeper::loadFromFile() {
    loadFrom(lastFolder_);
}

void CMapKeeper::loadBackup() {
    loadFrom(toU16(mapBackupFolder()));
}

void CMapKeeper::loadFrom(const std::u16string& folder) {
    if (model_.busy()) {
        return;
    }
    const std::u16string path = chooseFile(folder, 0);
    if (path.empty() || model_.busy()) {
        return;
    }
    if (folder == lastFolder_) {
        lastFolder_ = folderOf(path);
    }
    const MapFileRead read = readMapFile(toUtf8(path));
    if (!read.ok()) {
        showError(read.error);
        return;
    }
    if (!model_.loaded()) {
        showMessage(nullptr, translate(texts::kNoConnection), caption(), MB_OK);
        return;
    }
    const ControllerIdentity& identity = model_.identity();
    const IdentityDifference difference = identityDifference(
        read.content->info, mapFileInfoOf(identity.deviceType, identity.firmwareVersion));
    if (difference.any() &&
        showMessage(&window_,
                    difference.message + u"\n" + translate(texts::kLoadOtherControllerFile),
                    caption(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    if (!backUp(kLoadBackup)) {
        return;
    }
    writeWhole(read.content->snapshot, u"CMapKeeper::loadFromFile()");
}

void CMapKeeper::writeWhole(const MapSnapshot& target, std::u16string_view operation) {
    if (!mayWrite()) {
        return;
    }
    model_.submit({{},
                   [target](const MapSnapshot&) { return std::optional<MapSnapshot>(target); },
                   WriteKind::Whole,
                   {},
                   std::u16string(operation),
                   [this](const WriteOutcome& outcome, const MapSnapshot& before) {
                       // Whatever of it the controller kept can be undone.
                       if (outcome.result != WriteOutcome::Result::OtherController &&
                           model_.acknowledged() != before) {
                           recordChange(before);
                       }
                   }});
}

bool CMapKeeper::backUpBeforeUpdate() {
    beforeUpdate_.reset();
    if (!backUp(kFirmwareBackup)) {
        return false;
    }
    beforeUpdate_ = model_.acknowledged();
    return true;
}

void CMapKeeper::onUpdateEnded(bool programmed) {
    const std::optional<MapSnapshot> before = std::exchange(beforeUpdate_, std::nullopt);
    if (!programmed || !before || demo_ || !model_.loaded() || model_.acknowledged() == *before) {
        return;
    }
    if (showMessage(&window_, translate(texts::kMapChangedByUpdate), caption(),
                    MB_YESNO | MB_ICONWARNING) == IDYES) {
        writeWhole(*before, u"CMapKeeper::onUpdateEnded()");
    }
}

std::optional<MapSnapshot> CMapKeeper::openMapFile() {
    const std::u16string path = chooseFile(lastFolder_, 0);
    if (path.empty()) {
        return std::nullopt;
    }
    lastFolder_ = folderOf(path);
    const MapFileRead read = readMapFile(toUtf8(path));
    if (!read.ok()) {
        showError(read.error);
        return std::nullopt;
    }
    return read.content->snapshot;
}

void CMapKeeper::compareWithFile() {
    if (const std::optional<MapSnapshot> read = openMapFile()) {
        compareWith(*read);
    }
}

void CMapKeeper::restore(const MapSnapshot& version) {
    if (model_.busy() || !model_.loaded() || !backUp(kRestoreBackup)) {
        return;
    }
    writeWhole(version, u"CMapKeeper::restore()");
}

void CMapKeeper::compareWith(const MapSnapshot& file) {
    grid_.compareWith(file);
    // The cells alone are coloured; other axes or settings would make them mean other things.
    const SnapshotParts parts = differingParts(model_.shown(), file);
    std::u16string differences;
    if (parts.axes) {
        differences += translate(texts::kCompareAxesDiffer);
    }
    if (parts.settings) {
        differences +=
            (differences.empty() ? u"" : u"\n") + translate(texts::kCompareSettingsDiffer);
    }
    if (!differences.empty()) {
        showMessage(&window_, differences, caption(), MB_ICONINFORMATION);
    }
}

void CMapKeeper::endCompare() {
    grid_.compareWith(std::nullopt);
}

bool CMapKeeper::isComparing() const {
    return grid_.isComparing();
}

void CMapKeeper::calibrationStarted() {
    beforeCalibration_ = model_.acknowledged();
    learned_.reset(); // a new drive's result replaces one still waiting
    learnedFromOther_ = false;
}

void CMapKeeper::writeCalibrationResult(const MapCells& learned) {
    MapSnapshot result = beforeCalibration_;
    result.cells = learned;
    learned_ = result;
    // What the write overwrites: edits made during the drive included.
    learnedBackedUp_ = backUp(kCalibrationBackup, model_.acknowledged());
    if (!learnedBackedUp_) {
        saveLearnedElsewhere(result);
        return; // kept: a later reconnection tries again, with a backup first
    }
    writeLearned();
}

void CMapKeeper::writeLearned() {
    if (!model_.loaded()) {
        learnedWaitedForLink_ = true;
        backUp(kLearnedBackup, *learned_, false);
        showMessage(&window_, translate(texts::kCalibrationKept), caption(), MB_ICONWARNING);
        return;
    }
    if (!mayWrite()) {
        return; // kept, as when the link is down
    }
    // Only the cells are the drive's; the axes and settings are the controller's as they are.
    const MapCells cells = learned_->cells;
    // Stored like every other whole-map write, so it outlives the ignition.
    model_.submit({{},
                   [cells](const MapSnapshot& base) {
                       MapSnapshot target = base;
                       target.cells = cells;
                       return std::optional<MapSnapshot>(target);
                   },
                   WriteKind::Cells,
                   {},
                   u"CKorrinDlg::stopCalibration()",
                   [this](const WriteOutcome& outcome, const MapSnapshot& before) {
                       if (outcome.result == WriteOutcome::Result::OtherController) {
                           learnedFromOther_ = true; // kept; asked for before it goes anywhere
                           return;
                       }
                       if (outcome.written()) {
                           const bool later = learnedWaitedForLink_;
                           learned_.reset();
                           learnedWaitedForLink_ = false;
                           recordChange(before);
                           if (later) {
                               showMessage(&window_, translate(texts::kCalibrationWrittenLater),
                                           caption(), MB_ICONINFORMATION);
                           }
                           return;
                       }
                       if (!learnedWaitedForLink_) {
                           learnedWaitedForLink_ = true;
                           backUp(kLearnedBackup, *learned_, false);
                           showMessage(&window_, translate(texts::kCalibrationKept), caption(),
                                       MB_ICONWARNING);
                       }
                   }});
}

void CMapKeeper::keepLearnedForOther(const MapSnapshot& learned) {
    learned_ = learned;
    learnedFromOther_ = true;
    learnedBackedUp_ = false; // what it would overwrite is backed up when it is written
    backUp(kLearnedBackup, learned, false);
    showMessage(&window_, translate(texts::kCalibrationEndedByOtherController), caption(),
                MB_ICONWARNING);
}

void CMapKeeper::saveLearnedElsewhere(const MapSnapshot& learned) {
    showError(translate(texts::kLearnedBackupFailed));
    saveToFile(learned);
}

} // namespace krv
