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

CMapKeeper::CMapKeeper(CLPGConnection& device, CMapEmu1& grid, IConnectionJobs& jobs,
                       QWidget& window, std::function<void()> showDeviceData)
    : device_(device), grid_(grid), jobs_(jobs), window_(window),
      showDeviceData_(std::move(showDeviceData)), lastFolder_(QDir::homePath().toStdU16String()) {
    grid_.setChangeRecorder([this](const MapSnapshot& before) { recordChange(before); });
}

void CMapKeeper::showError(const std::u16string& text) {
    showMessage(&window_, text, caption(), MB_ICONERROR);
}

bool CMapKeeper::backUp(std::string_view operation) {
    return backUp(operation, snapshotOf(device_));
}

bool CMapKeeper::backUp(std::string_view operation, const MapSnapshot& snapshot) {
    if (device_.demoMode) {
        return true;
    }
    const MapBackupWrite write = writeMapBackup(operation, snapshot, mapFileInfoOf(device_));
    if (!write.ok) {
        showError(write.error);
    }
    return write.ok;
}

void CMapKeeper::onConnected() {
    if (device_.demoMode || !device_.connected) {
        return;
    }
    const MapSnapshot read = snapshotOf(device_);
    if (lastConnectedBackup_ == read) {
        return;
    }
    const MapBackupWrite write = writeMapBackup(kConnectedBackup, read, mapFileInfoOf(device_));
    if (write.ok) {
        lastConnectedBackup_ = read;
    } else if (!backupFailureSaid_) {
        backupFailureSaid_ = true;
        showError(write.error);
    }
}

void CMapKeeper::onReconnected() {
    if (!learned_) {
        return;
    }
    // The reconnection read the controller's map over the learned one; the axes and settings
    // it read stay, only the cells are the drive's.
    const MapSnapshot before = snapshotOf(device_);
    MapSnapshot target = before;
    target.cells = learned_->cells;
    writeState(target, [this, before](bool written) {
        if (!written) {
            return; // still waiting for the next reconnection
        }
        learned_.reset();
        recordChange(before);
        showMessage(&window_, translate(texts::kCalibrationWrittenLater), caption(),
                    MB_ICONINFORMATION);
    });
}

void CMapKeeper::recordChange(const MapSnapshot& before) {
    history_.record(before, snapshotOf(device_));
}

void CMapKeeper::runJob(IConnectionJobs::Job job, IConnectionJobs::Done done) {
    ++jobsRunning_;
    jobs_.run({}, std::move(job), [this, done = std::move(done)](bool succeeded) {
        --jobsRunning_;
        done(succeeded);
    });
}

void CMapKeeper::writeState(const MapSnapshot& target, std::function<void(bool)> done) {
    const SnapshotParts parts = differingParts(snapshotOf(device_), target);
    runJob([target,
            parts](CLPGConnection& device) { return writeSnapshotParts(device, target, parts); },
           [this, done = std::move(done)](bool written) {
               showDeviceData_();
               done(written);
           });
}

void CMapKeeper::undo() {
    step(true);
}

void CMapKeeper::redo() {
    step(false);
}

void CMapKeeper::step(bool undoing) {
    const auto target = undoing ? history_.undoTarget() : history_.redoTarget();
    if (!target || jobsRunning_ > 0) {
        return;
    }
    if (!device_.connected) {
        showMessage(nullptr, translate(texts::kNoConnection), caption(), MB_OK);
        return;
    }
    writeState(*target, [this, undoing](bool written) {
        if (!written) {
            showError(translate(texts::kWriteSettingsFailed));
        } else if (undoing) {
            history_.undone();
        } else {
            history_.redone();
        }
    });
}

std::u16string CMapKeeper::chooseFile(const std::u16string& folder, int saveMode) {
    const COpenFile dialog(folder, translate(texts::kMapFileFilter),
                           std::u16string(kMapFileExtension), saveMode);
    return dialog.selectFile();
}

void CMapKeeper::saveToFile() {
    const std::u16string path = chooseFile(lastFolder_, 1);
    if (path.empty()) {
        return;
    }
    lastFolder_ = folderOf(path);
    const std::string text = formatMapFile(snapshotOf(device_), mapFileInfoOf(device_));
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
    if (jobsRunning_ > 0) {
        return;
    }
    const std::u16string path = chooseFile(folder, 0);
    if (path.empty() || jobsRunning_ > 0) {
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
    if (!device_.connected) {
        showMessage(nullptr, translate(texts::kNoConnection), caption(), MB_OK);
        return;
    }
    if (!backUp(kLoadBackup)) {
        return;
    }
    const MapSnapshot before = snapshotOf(device_);
    const MapSnapshot target = read.content->snapshot;
    auto differs = std::make_shared<bool>(false);
    runJob(
        [target, differs](CLPGConnection& device) {
            if (!writeSnapshotParts(device, target, {true, true, true})) {
                return false;
            }
            *differs = !controllerHolds(device, target);
            return !*differs;
        },
        [this, before, differs](bool loaded) {
            showDeviceData_();
            if (loaded) {
                recordChange(before);
            } else {
                showError(
                    translate(*differs ? texts::kMapLoadMismatch : texts::kWriteSettingsFailed));
            }
        });
}

void CMapKeeper::compareWithFile() {
    const std::u16string path = chooseFile(lastFolder_, 0);
    if (path.empty()) {
        return;
    }
    lastFolder_ = folderOf(path);
    const MapFileRead read = readMapFile(toUtf8(path));
    if (!read.ok()) {
        showError(read.error);
        return;
    }
    const MapSnapshot& file = read.content->snapshot;
    grid_.compareWith(file);
    // The cells alone are coloured; other axes or settings would make them mean other things.
    const SnapshotParts parts = differingParts(snapshotOf(device_), file);
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
    beforeCalibration_ = snapshotOf(device_);
    learned_.reset(); // a new drive's result replaces one still waiting
}

void CMapKeeper::writeCalibrationResult() {
    if (!backUp(kCalibrationBackup, beforeCalibration_)) {
        return; // the learned map stays in the window, where it can still be saved to a file
    }
    const MapSnapshot learned = snapshotOf(device_);
    runJob([](CLPGConnection& device) { return device.writeMap(); },
           [this, learned](bool written) {
               if (written) {
                   history_.record(beforeCalibration_, learned);
                   return;
               }
               learned_ = learned;
               backUp(kLearnedBackup, learned);
               showMessage(&window_, translate(texts::kCalibrationKept), caption(), MB_ICONWARNING);
           });
}

} // namespace krv
