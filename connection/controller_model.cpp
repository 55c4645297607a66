#include "connection/controller_model.h"

#include "connection/lpg_connection.h"
#include "platform/error.h"

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
        ControllerData knownData = this->known();
        if (newFirmwareExpected_) {
            known.firmwareVersion = read.firmwareVersion;
            knownData.firmwareVersion = read.firmwareVersion;
        }
        // A write cut short may have left some of its parts.
        const bool same = read == known || (mayHold_ && sameController(data, knownData, mayHold_));
        arrival = same ? Arrival::Same : Arrival::Other;
    }
    newFirmwareExpected_ = false;
    mayHold_.reset();
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
        // The job takes values: the model stays on this thread.
        auto result = std::make_shared<std::optional<WriteOutcome>>();
        auto error = std::make_shared<std::u16string>();
        StateWrite write{inFlight_->edit.kind, known(), mayHold_, *to, inFlight_->edit.region};
        jobs_.run(
            inFlight_->edit.statusText,
            [write = std::move(write), operation = inFlight_->edit.operation, result,
             error](CLPGConnection& device) {
                try {
                    *result = writeToController(device, write);
                } catch (IError* raised) {
                    const std::unique_ptr<IError> owned(raised);
                    *error = operation + u"\n" + owned->format();
                }
                return *result && (*result)->written();
            },
            [this, result, error, generation = generation_](bool) {
                if (generation == generation_) {
                    finish(*result, *error);
                }
            });
    }
    starting_ = false;
    notify();
}

void CControllerModel::finish(const std::optional<WriteOutcome>& result,
                              const std::u16string& error) {
    InFlight done = std::move(*inFlight_);
    inFlight_.reset();
    WriteOutcome outcome;
    if (result) {
        outcome = *result;
    } else {
        // A failing port: nothing is known of what the controller took.
        outcome.result = WriteOutcome::Result::LinkLost;
        outcome.holds = done.from;
        outcome.mayHold = done.to;
    }
    const bool other = outcome.result == WriteOutcome::Result::OtherController;
    if (!other) {
        acknowledge(outcome.holds);
        mayHold_ = outcome.mayHold;
    }
    if (done.edit.done) {
        done.edit.done(outcome, done.from);
    }
    if (other) {
        // Edits made against this state must not land on that one.
        queue_.clear();
        if (otherController_) {
            otherController_(*outcome.found);
        }
        return;
    }
    startNext();
    // Last: the listener may open a message, whose loop runs the window meanwhile.
    if (report_ && outcome.result != WriteOutcome::Result::Written) {
        report_(error.empty() ? outcomeText(outcome) : error, !error.empty());
    }
}

void CControllerModel::acknowledge(const MapSnapshot& state) {
    acknowledged_ = state;
    identity_.fingerprint = fingerprintOf(state);
}

void CControllerModel::notify() {
    if (changed_) {
        changed_();
    }
}

} // namespace krv
