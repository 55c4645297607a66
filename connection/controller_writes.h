#pragma once
// Every write the tool makes to a controller, the window's and the command line's alike: for
// each kind of edit its exchanges, in their order and with their tries, and what the controller
// holds after them. A controller whose identity is in doubt is read again first, and nothing is
// written unless it holds what the edit was made from; a part it does not take ends the write,
// and the parts it took before are put back.

#include "connection/connection_host.h"
#include "device/lpg_device.h"
#include "device/map_file/map_snapshot.h"

#include <optional>
#include <string>

namespace krv {

enum class WriteKind {
    Settings,   // the settings, and the map after them as the controller takes the two
    Axes,       // the break points
    RegionStep, // a rectangle the controller raises or lowers itself, stored, the map read back
    Cells,      // the map, stored
    Clear,      // the map cleared by the controller, stored, read back
    Parts,      // the parts that differ (axes, settings, map), the map stored
    Whole,      // axes, settings and map, the map stored, all read back and compared
};

enum class WritePart { None, Check, Axes, Settings, Map, Store };

struct StateWrite {
    WriteKind kind = WriteKind::Parts;
    // The controller the edit was made on and what it held (the acknowledged state).
    ControllerData known;
    // Part by part, what an earlier write cut short may have left instead of known.state.
    std::optional<MapSnapshot> mayHold;
    MapSnapshot target;
    MapRegion region{}; // RegionStep
};

struct WriteOutcome {
    enum class Result {
        Written,         // holds is what the controller holds (read back where it computed it)
        Unchecked,       // written, but the read back got no answer: holds is what was sent
        Differs,         // written, but read back other than the target: holds is what was read
        NotTaken,        // part was refused or unanswered; holds is what the controller holds
        LinkLost,        // it stopped answering: holds is the best known, to be read again
        OtherController, // another controller answers (found): nothing was written to it
    };
    Result result = Result::Written;
    WritePart part = WritePart::None;
    // NotTaken: the parts taken before were put back, so it holds all of its old state.
    bool restored = false;
    MapSnapshot holds;
    // LinkLost: part by part, what the controller may hold instead of holds.
    std::optional<MapSnapshot> mayHold;
    std::optional<ControllerData> found;

    bool written() const { return result == Result::Written || result == Result::Unchecked; }
};

WriteOutcome writeToController(CLPGDevice& device, const StateWrite& write);

// Who answers and what it holds now: nothing when it does not answer as the served application.
// The doubt of its identity ends here.
std::optional<ControllerData> readController(CLPGDevice& device);

// Whether read is the controller known, holding, part by part, known's state or alternative's.
bool sameController(const ControllerData& read, const ControllerData& known,
                    const std::optional<MapSnapshot>& alternative);

// What the fitter is told of an outcome; empty for one fully written.
std::u16string outcomeText(const WriteOutcome& outcome);

} // namespace krv
