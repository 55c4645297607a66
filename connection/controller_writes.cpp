#include "connection/controller_writes.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"

namespace krv {

namespace {

bool partsWithin(const MapSnapshot& read, const MapSnapshot& one, const MapSnapshot& other) {
    return (read.cells == one.cells || read.cells == other.cells) &&
           (read.axes() == one.axes() || read.axes() == other.axes()) &&
           (read.settings() == one.settings() || read.settings() == other.settings());
}

// One write's run: what the controller is known to hold as it goes, and the check asked before
// a try is repeated after silence.
class Writer {
public:
    Writer(CLPGDevice& device, const StateWrite& write)
        : device_(device), write_(write), holds_(write.known.state) {}

    WriteOutcome run() {
        if (device_.identityInDoubt) {
            const auto read = readController(device_);
            if (!read) {
                return lost(WritePart::Check);
            }
            if (!sameController(*read, write_.known, write_.mayHold)) {
                return other(*read);
            }
            holds_ = read->state;
        }
        device_.setRetryCheck([this] { return stillTheSame(); });
        struct EndCheck {
            CLPGDevice& device;
            ~EndCheck() { device.setRetryCheck({}); }
        } endCheck{device_};
        return writeParts();
    }

private:
    WriteOutcome writeParts() {
        const MapSnapshot& target = write_.target;
        switch (write_.kind) {
        case WriteKind::Settings:
            // The map that follows the settings is the one the controller holds.
            if (!device_.writeSettings(target.settings(), holds_.cells)) {
                return notTaken(WritePart::Settings);
            }
            holds_.setSettings(target.settings());
            return done();
        case WriteKind::Axes:
            if (!device_.writeMapAxes(target.axes())) {
                return notTaken(WritePart::Axes);
            }
            holds_.setAxes(target.axes());
            return done();
        case WriteKind::RegionStep:
            if (!device_.adjustMapRegion(write_.region)) {
                return notTaken(WritePart::Map);
            }
            holds_.cells = target.cells;
            return storedAndReadBack();
        case WriteKind::Clear:
            if (!device_.clearMapTime()) {
                return notTaken(WritePart::Map);
            }
            holds_.cells = target.cells;
            return storedAndReadBack();
        case WriteKind::Cells:
            return writeCells();
        case WriteKind::Parts:
        case WriteKind::Whole:
            break;
        }
        const SnapshotParts parts = write_.kind == WriteKind::Whole
                                        ? SnapshotParts{true, true, true}
                                        : differingParts(holds_, target);
        if (parts.axes) {
            if (!device_.writeMapAxes(target.axes())) {
                return notTaken(WritePart::Axes);
            }
            holds_.setAxes(target.axes());
        }
        if (parts.settings) {
            if (!device_.writeSettings(target.settings(), target.cells)) {
                return notTaken(WritePart::Settings);
            }
            holds_.setSettings(target.settings());
        }
        if (parts.cells) {
            const WriteOutcome cells = writeCells();
            if (cells.result != WriteOutcome::Result::Written) {
                return cells;
            }
        }
        return write_.kind == WriteKind::Whole ? readBackWhole() : done();
    }

    WriteOutcome writeCells() {
        if (!device_.writeMap(write_.target.cells)) {
            return notTaken(WritePart::Map);
        }
        holds_.cells = write_.target.cells;
        if (!device_.storeMap()) {
            return notTaken(WritePart::Store);
        }
        return done();
    }

    // The controller computed the cells itself: what it holds is what it reads back.
    WriteOutcome storedAndReadBack() {
        if (!device_.storeMap()) {
            return notTaken(WritePart::Store);
        }
        const auto cells = device_.readMap();
        if (!cells) {
            return unchecked();
        }
        holds_.cells = *cells;
        return done();
    }

    WriteOutcome readBackWhole() {
        const auto read = readControllerState(device_);
        if (!read) {
            return unchecked();
        }
        holds_ = *read;
        WriteOutcome outcome = done();
        if (*read != write_.target) {
            outcome.result = WriteOutcome::Result::Differs;
        }
        return outcome;
    }

    // Whether the controller, part by part, holds what it held or what it was to be given.
    bool plausible(const ControllerData& read) const {
        MapSnapshot target = write_.target;
        if (write_.kind == WriteKind::RegionStep) {
            // The controller's own arithmetic decides the cells it stepped.
            const MapRegion& region = write_.region;
            for (int r = region.firstRow; r < region.firstRow + region.rowCount; ++r) {
                for (int c = region.firstColumn; c < region.firstColumn + region.columnCount; ++c) {
                    const size_t i = static_cast<size_t>(r * kMapColumns + c);
                    target.cells[i] = read.state.cells[i];
                }
            }
        }
        return read.deviceType == write_.known.deviceType &&
               read.firmwareVersion == write_.known.firmwareVersion &&
               partsWithin(read.state, write_.known.state, target);
    }

    bool stillTheSame() {
        const auto read = readController(device_);
        if (!read) {
            silent_ = true;
            return false;
        }
        if (!plausible(*read)) {
            found_ = read;
            return false;
        }
        return true;
    }

    // A part was not taken: what the controller holds is read, and the parts it took are
    // put back, so that it ends with all of its old state.
    WriteOutcome notTaken(WritePart part) {
        if (found_) {
            return other(*found_);
        }
        if (silent_) {
            return lost(part);
        }
        auto read = readController(device_);
        if (!read) {
            return lost(part);
        }
        if (!plausible(*read)) {
            return other(*read);
        }
        holds_ = read->state;
        const MapSnapshot& old = write_.known.state;
        if (holds_ != old) {
            putBack();
            if (found_) {
                return other(*found_);
            }
            read = readController(device_);
            if (!read) {
                return lost(part);
            }
            holds_ = read->state;
        }
        WriteOutcome outcome = make(WriteOutcome::Result::NotTaken, part);
        outcome.restored = holds_ == old;
        return outcome;
    }

    void putBack() {
        const MapSnapshot& old = write_.known.state;
        const SnapshotParts parts = differingParts(holds_, old);
        if (parts.axes && !device_.writeMapAxes(old.axes())) {
            return;
        }
        if (parts.settings && !device_.writeSettings(old.settings(), old.cells)) {
            return;
        }
        if (parts.cells && device_.writeMap(old.cells)) {
            device_.storeMap();
        }
    }

    WriteOutcome make(WriteOutcome::Result result, WritePart part = WritePart::None) const {
        WriteOutcome outcome;
        outcome.result = result;
        outcome.part = part;
        outcome.holds = holds_;
        return outcome;
    }
    WriteOutcome done() const { return make(WriteOutcome::Result::Written); }
    WriteOutcome unchecked() const { return make(WriteOutcome::Result::Unchecked); }
    WriteOutcome lost(WritePart part) const {
        WriteOutcome outcome = make(WriteOutcome::Result::LinkLost, part);
        if (part != WritePart::Check) {
            outcome.mayHold = write_.target;
        }
        return outcome;
    }
    WriteOutcome other(const ControllerData& found) const {
        // Until the caller takes that controller in, every write is checked first.
        device_.identityInDoubt = true;
        WriteOutcome outcome = make(WriteOutcome::Result::OtherController);
        outcome.found = found;
        return outcome;
    }

    CLPGDevice& device_;
    const StateWrite& write_;
    MapSnapshot holds_;
    bool silent_ = false;
    std::optional<ControllerData> found_;
};

std::u16string_view partName(WritePart part) {
    switch (part) {
    case WritePart::Axes:
        return texts::kWritePartAxes;
    case WritePart::Settings:
        return texts::kWritePartSettings;
    case WritePart::Store:
        return texts::kWritePartStore;
    case WritePart::None:
    case WritePart::Check:
    case WritePart::Map:
        break;
    }
    return texts::kWritePartMap;
}

} // namespace

WriteOutcome writeToController(CLPGDevice& device, const StateWrite& write) {
    return Writer(device, write).run();
}

std::optional<ControllerData> readController(CLPGDevice& device) {
    device.identityInDoubt = false;
    if (device.requestIdentity().kind != IdentifyAnswer::Kind::Application ||
        !device.readVersion()) {
        return std::nullopt;
    }
    auto state = readControllerState(device);
    if (!state) {
        return std::nullopt;
    }
    return ControllerData{device.deviceType, device.firmwareVersion, *state};
}

bool sameController(const ControllerData& read, const ControllerData& known,
                    const std::optional<MapSnapshot>& alternative) {
    return read.deviceType == known.deviceType && read.firmwareVersion == known.firmwareVersion &&
           partsWithin(read.state, known.state, alternative.value_or(known.state));
}

std::u16string outcomeText(const WriteOutcome& outcome) {
    switch (outcome.result) {
    case WriteOutcome::Result::Written:
        return {};
    case WriteOutcome::Result::Unchecked:
        return translate(texts::kWriteUnchecked);
    case WriteOutcome::Result::Differs:
        return translate(texts::kMapLoadMismatch);
    case WriteOutcome::Result::NotTaken:
        return fillIn(translate(outcome.restored ? texts::kWriteNotTakenRestored
                                                 : texts::kWriteNotTakenMixed),
                      {translate(partName(outcome.part))});
    case WriteOutcome::Result::LinkLost:
        return translate(texts::kWriteLinkLost);
    case WriteOutcome::Result::OtherController:
        return translate(texts::kWriteOtherController);
    }
    return {};
}

} // namespace krv
