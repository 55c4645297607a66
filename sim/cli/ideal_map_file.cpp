#include "sim/cli/ideal_map_file.h"

#include "calibration/calibration.h"
#include "device/map_file/map_file.h"
#include "platform/local_time.h"

#include <ctime>

namespace krv::sim {

std::string idealMapFile(const PetrolDrive& drive, const ControllerState& state) {
    MapSnapshot snapshot;
    snapshot.rows = state.rowAxis;
    snapshot.columns = state.columnAxis;
    snapshot.rpmDivider = state.settings.rpmDivider;
    snapshot.noiseDelta = state.settings.noiseDelta;
    snapshot.noisePeriod = state.settings.noisePeriod;
    const IdealMap ideal = drive.idealMap(state.rowAxis, state.columnAxis);
    for (size_t i = 0; i < snapshot.cells.size(); ++i) {
        snapshot.cells[i] = ideal.held(i) ? nearestCellWire(ideal.volts[i]) : 0;
    }
    const MapFileInfo info{state.knobs.identifyType, state.knobs.version,
                           localTimeIso8601(std::time(nullptr))};
    return formatMapFile(snapshot, info);
}

} // namespace krv::sim
