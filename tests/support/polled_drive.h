#pragma once
// The simulator's petrol drive as the tool polls it every 50 ms (through the wire's
// quantisation), and the readings log the recorder would write of it.

#include "device/diag.h"
#include "device/map_file/map_snapshot.h"
#include "sim/controller/petrol_drive.h"

#include <string>
#include <vector>

namespace krv::test {

struct PolledReading {
    double seconds;
    CDiag reading; // numbered from 1
};

// On the sample map's axes, whose map the readings are filed under.
std::vector<PolledReading> polledPetrolDrive(const sim::PetrolDrive& drive);
MapSnapshot sampleMapSnapshot();
std::string readingsLogOf(const std::vector<PolledReading>& polled);

} // namespace krv::test
