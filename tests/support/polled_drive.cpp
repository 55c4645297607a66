#include "tests/support/polled_drive.h"

#include "device/readings_csv.h"
#include "sim/controller/sample_map.h"

#include <chrono>

namespace krv::test {

std::vector<PolledReading> polledPetrolDrive(const sim::PetrolDrive& drive) {
    const sim::MapAndAxes axes = sim::sampleMap();
    std::vector<PolledReading> polled;
    uint32_t number = 0;
    for (double t = 0; t < drive.seconds(); t += sim::kPollingSeconds) {
        CDiag reading;
        reading.raw =
            sim::readingsPayload({t, &axes.map, &axes.rowAxis, &axes.columnAxis, false, &drive});
        reading.sampleNumber = ++number;
        polled.push_back({t, reading});
    }
    return polled;
}

MapSnapshot sampleMapSnapshot() {
    const sim::MapAndAxes axes = sim::sampleMap();
    MapSnapshot map;
    map.cells = axes.map;
    map.rows = axes.rowAxis;
    map.columns = axes.columnAxis;
    return map;
}

std::string readingsLogOf(const std::vector<PolledReading>& polled) {
    std::string text = readings_csv::header(std::chrono::system_clock::now(), 256);
    for (const PolledReading& p : polled) {
        text += readings_csv::row(p.seconds, p.reading.sampleNumber, p.reading);
    }
    return text;
}

} // namespace krv::test
