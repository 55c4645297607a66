#pragma once
// The petrol drive's ideal map as a map file, on the controller's axes and settings: each cell
// held a second or more carries the true input averaged over the holds' steady parts; the
// others are empty (0 V).

#include "sim/controller/controller.h"
#include "sim/controller/petrol_drive.h"

#include <string>

namespace krv::sim {

std::string idealMapFile(const PetrolDrive& drive, const ControllerState& state);

} // namespace krv::sim
