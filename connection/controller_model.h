#pragma once
// What the controller holds, as the window knows it: the one owner of its settings, axes and
// map, on the window's thread alone. It moves only with what the controller acknowledged or
// what was read from it. Edits queue here and go to the controller one at a time, each
// computed from the newest acknowledged state when its turn comes, so clicks made while a
// write is in flight are neither lost nor applied twice; until then they show as pending.

#include "connection/connection_host.h"
#include "connection/connection_jobs.h"
#include "device/map_file/map_snapshot.h"
#include "link/message.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace krv {

// Which controller the model's state belongs to: its type and firmware version, and a
// fingerprint of the map and axes it is known to hold.
struct ControllerIdentity {
    uint8_t deviceType = kServedDeviceType;
    uint16_t firmwareVersion = 0;
    uint64_t fingerprint = 0;

    bool operator==(const ControllerIdentity&) const = default;
};

uint64_t fingerprintOf(const MapSnapshot& state);

class CControllerModel {
public:
    // The state to reach from base (the newest acknowledged state with the edits queued
    // before this one applied); nothing when the edit no longer applies and is dropped.
    using Change = std::function<std::optional<MapSnapshot>(const MapSnapshot& base)>;
    // On the worker: the exchanges that take the controller from `from` to `to`, and what the
    // controller holds after them.
    using Write = std::function<SnapshotWrite(CLPGConnection& device, const MapSnapshot& from,
                                              const MapSnapshot& to)>;
    struct Edit {
        std::u16string statusText; // what the status line says while it runs ("" keeps it)
        Change change;
        Write write;
        // On the window's thread once the model has moved: whether the write was whole, and
        // the state from before it (for undo). Not called for an edit that was dropped.
        std::function<void(bool written, const MapSnapshot& before)> done;
    };
    // How a connection's read compares with the controller the model knew.
    enum class Arrival {
        First, // nothing was known before
        Same,  // the controller holds what the model last knew of it
        Other, // another controller, or one changed elsewhere: edits waiting were dropped
    };

    explicit CControllerModel(IConnectionJobs& jobs) : jobs_(jobs) {}
    CControllerModel(const CControllerModel&) = delete;
    CControllerModel& operator=(const CControllerModel&) = delete;

    // Told after every change of what the model shows.
    void setChangedListener(std::function<void()> listener) { changed_ = std::move(listener); }

    Arrival load(const ControllerData& data);
    // The tool is about to update the controller's firmware: the next load may bring another
    // version of the same controller.
    void expectNewFirmware() { newFirmwareExpected_ = true; }
    // The link went down: nothing is sent until the next load; the state stays shown.
    void linkLost();
    // A controller's state was read and the link has not been lost since.
    bool loaded() const { return loaded_; }
    bool everLoaded() const { return everLoaded_; }

    const MapSnapshot& acknowledged() const { return acknowledged_; }
    // The acknowledged state with the edits in flight and waiting applied.
    MapSnapshot shown() const;
    const ControllerIdentity& identity() const { return identity_; }

    // Queues the edit (only while loaded(); otherwise it is dropped and false returned).
    bool submit(Edit edit);
    // An edit runs or waits.
    bool busy() const { return inFlight_.has_value() || !queue_.empty(); }

private:
    struct InFlight {
        Edit edit;
        MapSnapshot from;
        MapSnapshot to;
    };

    void startNext();
    void finish(const std::optional<SnapshotWrite>& result);
    void acknowledge(const MapSnapshot& state);
    void notify();

    IConnectionJobs& jobs_;
    std::function<void()> changed_;
    MapSnapshot acknowledged_;
    ControllerIdentity identity_;
    bool loaded_ = false;
    bool everLoaded_ = false;
    std::optional<InFlight> inFlight_;
    std::deque<Edit> queue_;
    bool starting_ = false;
    bool newFirmwareExpected_ = false;
    // Tells a job's completion from a model that was loaded anew meanwhile.
    uint64_t generation_ = 0;
};

// The write as the window runs it: an error object escaping it is reported under operation
// over errorOwner (nothing is then known to have changed), and a write the controller did not
// take whole shows refusalText over refusalOwner (nothing, when it is empty: the caller says it).
CControllerModel::Write reportedWrite(MessageOwner errorOwner, std::u16string_view operation,
                                      MessageOwner refusalOwner, std::u16string_view refusalText,
                                      CControllerModel::Write write);

} // namespace krv
