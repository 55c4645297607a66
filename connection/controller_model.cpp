#include "connection/controller_model.h"

#include <memory>

namespace krv {

namespace {

// FNV-1a: stable across runs, enough to tell two cars' maps apart.
class Fingerprint {
public:
    template <class Bytes> void add(const Bytes& values) {
        for (auto value : values) {
            const auto word = static_cast<uint16_t>(value);
            mix(static_cast<uint8_t>(word & 0xFF));
            mix(static_cast<uint8_t>(word >> 8));
        }
    }
    uint64_t value() const { return hash_; }

private:
    void mix(uint8_t byte) {
        hash_ ^= byte;
        hash_ *= 0x100000001b3ULL;
    }
    uint64_t hash_ = 0xcbf29ce484222325ULL;
};

} // namespace

uint64_t fingerprintOf(const MapSnapshot& state) {
    Fingerprint fingerprint;
    fingerprint.add(state.cells);
    fingerprint.add(state.rows);
    fingerprint.add(state.columns);
    return fingerprint.value();
}

CControllerModel::Arrival CControllerModel::load(const ControllerData& data) {
    const ControllerIdentity read{data.deviceType, data.firmwareVersion, fingerprintOf(data.state)};
    Arrival arrival = Arrival::First;
    if (everLoaded_) {
        ControllerIdentity known = identity_;
        if (newFirmwareExpected_) {
            known.firmwareVersion = read.firmwareVersion;
        }
        arrival = read == known ? Arrival::Same : Arrival::Other;
    }
    newFirmwareExpected_ = false;
    if (arrival == Arrival::Other) {
        // Edits made against the other state must not land on this one.
        queue_.clear();
    }
    ++generation_;
    inFlight_.reset();
    acknowledged_ = data.state;
    identity_ = read;
    loaded_ = true;
    everLoaded_ = true;
    notify();
    startNext();
    return arrival;
}

void CControllerModel::linkLost() {
    loaded_ = false;
}

MapSnapshot CControllerModel::shown() const {
    MapSnapshot state = inFlight_ ? inFlight_->to : acknowledged_;
    for (const Edit& edit : queue_) {
        if (auto next = edit.change(state)) {
            state = *next;
        }
    }
    return state;
}

bool CControllerModel::submit(Edit edit) {
    if (!loaded_) {
        return false;
    }
    queue_.push_back(std::move(edit));
    if (!inFlight_) {
        startNext();
    } else {
        notify();
    }
    return true;
}

void CControllerModel::startNext() {
    if (starting_) {
        return; // a job that completed in place: the loop below goes on
    }
    starting_ = true;
    while (!inFlight_ && !queue_.empty() && loaded_) {
        Edit edit = std::move(queue_.front());
        queue_.pop_front();
        std::optional<MapSnapshot> to = edit.change(acknowledged_);
        if (!to) {
            continue;
        }
        inFlight_ = InFlight{std::move(edit), acknowledged_, *to};
        // The job takes copies: the model stays on this thread.
        auto result = std::make_shared<std::optional<SnapshotWrite>>();
        jobs_.run(
            inFlight_->edit.statusText,
            [write = inFlight_->edit.write, from = inFlight_->from, to = inFlight_->to,
             result](CLPGConnection& device) {
                *result = write(device, from, to);
                return (*result)->complete;
            },
            [this, result, generation = generation_](bool) {
                if (generation == generation_) {
                    finish(*result);
                }
            });
    }
    starting_ = false;
    notify();
}

void CControllerModel::finish(const std::optional<SnapshotWrite>& result) {
    InFlight done = std::move(*inFlight_);
    inFlight_.reset();
    // An error object escaping the job leaves nothing known to have changed.
    if (result) {
        acknowledge(result->holds);
    }
    const bool written = result && result->complete;
    if (done.edit.done) {
        done.edit.done(written, done.from);
    }
    startNext();
}

void CControllerModel::acknowledge(const MapSnapshot& state) {
    acknowledged_ = state;
    identity_.fingerprint = fingerprintOf(state);
}

CControllerModel::Write reportedWrite(MessageOwner errorOwner, std::u16string_view operation,
                                      MessageOwner refusalOwner, std::u16string_view refusalText,
                                      CControllerModel::Write write) {
    return [=, write = std::move(write)](CLPGConnection& device, const MapSnapshot& from,
                                         const MapSnapshot& to) {
        SnapshotWrite result{false, from};
        reportingErrors(errorOwner, operation, [&] {
            result = write(device, from, to);
            if (!result.complete && !refusalText.empty()) {
                showProgramMessage(refusalOwner, refusalText, MB_ICONERROR);
            }
        });
        return result;
    };
}

void CControllerModel::notify() {
    if (changed_) {
        changed_();
    }
}

} // namespace krv
