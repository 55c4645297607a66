#pragma once
// What the controller holds, as the window knows it: the one owner of its settings, axes and
// map, on the window's thread alone. It moves only with what the controller acknowledged or
// what was read from it. Edits queue here and go to the controller one at a time, each
// computed from the newest acknowledged state when its turn comes, so clicks made while a
// write is in flight are neither lost nor applied twice; until then they show as pending.
// Each edit names its kind; the write module knows its exchanges and what they leave.

#include "connection/connection_host.h"
#include "connection/connection_jobs.h"
#include "connection/controller_writes.h"
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
    // On the window's thread once the model has moved: what came of the write, and the state
    // from before it (for undo). Not called for an edit that was dropped.
    using Done = std::function<void(const WriteOutcome& outcome, const MapSnapshot& before)>;
    struct Edit {
        std::u16string statusText; // what the status line says while it runs ("" keeps it)
        Change change;
        WriteKind kind = WriteKind::Parts;
        MapRegion region{};       // WriteKind::RegionStep
        std::u16string operation; // names the edit in the report of a failing port
        Done done;
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
    // Told, with the fitter's words, of every write that did not end as asked (a port error
    // under the edit's operation), on the window's thread: the worker never waits on a person.
    using Report = std::function<void(const std::u16string& text, bool portError)>;
    void setReportListener(Report listener) { report_ = std::move(listener); }
    // Told when a write found another controller (or one changed elsewhere) answering: what it
    // holds, to be loaded as a connection's read is (nothing was written to it).
    void setOtherControllerListener(std::function<void(const ControllerData& found)> listener) {
        otherController_ = std::move(listener);
    }

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
    // Who the controller is and what it is known to hold, as a value for the worker.
    ControllerData known() const {
        return {identity_.deviceType, identity_.firmwareVersion, acknowledged_};
    }
    // A write was cut short: part by part, the controller may hold this instead; read again
    // before anything else is written.
    const std::optional<MapSnapshot>& mayHold() const { return mayHold_; }

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
    void finish(const std::optional<WriteOutcome>& result, const std::u16string& error);
    void acknowledge(const MapSnapshot& state);
    void notify();

    IConnectionJobs& jobs_;
    std::function<void()> changed_;
    Report report_;
    std::function<void(const ControllerData&)> otherController_;
    MapSnapshot acknowledged_;
    std::optional<MapSnapshot> mayHold_;
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

} // namespace krv
