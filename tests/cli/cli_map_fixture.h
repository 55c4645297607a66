#pragma once
// krv-cli's map commands against the simulated controller: a varied map, axes and settings put
// into it, what it holds afterwards, the writes it received and the backups left behind.

#include "device/map_file/map_file.h"
#include "device/map_file/map_snapshot.h"
#include "device/protocol_codes.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/map_keeping.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace krv::test {

// Values of each kind across what the window may set, its ends included (seed 0 to 14).
inline MapSnapshot varied(int seed) {
    MapSnapshot snapshot;
    for (size_t i = 0; i < snapshot.cells.size(); ++i) {
        snapshot.cells[i] = static_cast<uint8_t>(i * 37 + seed);
    }
    for (size_t i = 0; i < snapshot.rows.size(); ++i) {
        snapshot.rows[i] = static_cast<int16_t>(static_cast<int>(i) * 2183 + seed);
    }
    for (size_t i = 0; i < snapshot.columns.size(); ++i) {
        snapshot.columns[i] = static_cast<uint8_t>(i * 17 + seed);
    }
    snapshot.rpmDivider = static_cast<uint8_t>(200 - seed);
    snapshot.noiseDelta = static_cast<uint8_t>(255 - seed);
    snapshot.noisePeriod = static_cast<uint16_t>(50000 - seed);
    return snapshot;
}

// The simulated controller's type and version: a file of its own kind.
inline MapFileInfo simulatorsFile() {
    return {kServedDeviceType, sim::ControllerKnobs().version, "then"};
}

class CliMap : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        if (!IsSkipped()) {
            put(varied(3));
        }
    }
    void put(const MapSnapshot& snapshot) {
        controller().setMap(snapshot.cells);
        controller().setAxes(snapshot.rows, snapshot.columns);
        controller().setSettings({snapshot.rpmDivider, snapshot.noiseDelta, snapshot.noisePeriod});
    }
    MapSnapshot held() { return test::snapshotOfController(controller()); }
    size_t writes() const {
        return requestsOfType(protocol::kSettingsFrame) + requestsOfType(protocol::kMapFrame) +
               requestsOfType(protocol::kAxesFrame) + controllerRef().state().counters.mapStores;
    }
    const sim::CController& controllerRef() const { return ports_.front()->handler.controller; }
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = directory_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::vector<std::filesystem::path> backups() const {
        std::vector<std::filesystem::path> found;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(backupsFolder(), ignored)) {
            found.push_back(entry.path());
        }
        return found;
    }
};

} // namespace krv::test
