#include "connection/controller_model.h"
#include "device/map_file/map_backups.h"
#include "register/car_register.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace krv::reg {

namespace {

// Seconds since the epoch of an ISO 8601 time with its offset (as map files carry it).
std::optional<int64_t> parseSavedTime(const std::string& saved) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char sign = '+';
    int offsetHours = 0, offsetMinutes = 0;
    if (std::sscanf(saved.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d", &year, &month, &day, &hour,
                    &minute, &second, &sign, &offsetHours, &offsetMinutes) != 9 ||
        (sign != '+' && sign != '-')) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(month)),
                              std::chrono::day(unsigned(day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    const int64_t offset = (sign == '-' ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
    return sys_days(date).time_since_epoch() / seconds(1) + hour * 3600 + minute * 60 + second -
           offset;
}

} // namespace

ImportSummary CarRegister::importBackups(const std::string& folder) {
    ImportSummary summary;
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (isMapBackupName(name) && entry.is_regular_file(error)) {
            names.push_back(std::move(name));
        }
    }
    // The names begin with the time: in this order each state follows the one before it.
    std::ranges::sort(names);
    Statement known = db_.prepare("SELECT 1 FROM imported_files WHERE path = ?");
    Transaction transaction(db_);
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        known.reset();
        known.bind(1, path);
        if (known.step()) {
            ++summary.skipped;
            continue;
        }
        const MapFileRead read = readMapFile(path);
        if (!read.ok()) {
            summary.unreadable.push_back(path);
            continue;
        }
        const MapFileContent& content = *read.content;
        const ControllerData state{content.info.deviceType, content.info.firmwareVersion,
                                   content.snapshot};
        // A backup of a state some car already holds (the tool backs up before it writes)
        // is that car's: nothing to assign.
        const std::vector<uint8_t> bytes = encodeState(state.state);
        Statement held = db_.prepare(
            "SELECT 1 FROM versions WHERE car_id IS NOT NULL AND fingerprint = ? AND state = ? "
            "AND device_type = ? AND firmware_version = ? LIMIT 1");
        held.bind(1, static_cast<int64_t>(fingerprintOf(state.state)))
            .bind(2, std::span<const uint8_t>(bytes))
            .bind(3, int64_t{state.deviceType})
            .bind(4, int64_t{state.firmwareVersion});
        if (held.step()) {
            ++summary.skipped;
        } else {
            record(std::nullopt, state, Cause::Imported,
                   parseSavedTime(content.info.saved).value_or(now()), path);
            ++summary.imported;
        }
        db_.prepare("INSERT INTO imported_files(path) VALUES(?)").bind(1, path).run();
    }
    transaction.commit();
    return summary;
}

std::vector<UnassignedChain> CarRegister::unassigned() {
    std::vector<UnassignedChain> chains;
    for (Version& version :
         versionsWhere("v.car_id IS NULL ORDER BY v.fingerprint, v.first_seen")) {
        if (chains.empty() || chains.back().fingerprint != version.fingerprint) {
            chains.push_back({version.fingerprint, {}});
        }
        chains.back().versions.push_back(std::move(version));
    }
    std::ranges::sort(chains, std::ranges::greater{},
                      [](const UnassignedChain& chain) { return chain.versions.back().lastSeen; });
    return chains;
}

void CarRegister::assignChain(uint64_t fingerprint, int64_t carId) {
    Transaction transaction(db_);
    db_.prepare("UPDATE versions SET car_id = ? WHERE car_id IS NULL AND fingerprint = ?")
        .bind(1, carId)
        .bind(2, static_cast<int64_t>(fingerprint))
        .run();
    db_.prepare("UPDATE cars SET last_visit = max(last_visit, coalesce((SELECT max(s.at) FROM "
                "sightings s JOIN versions v ON v.id = s.version_id WHERE v.car_id = ?1), 0)) "
                "WHERE id = ?1")
        .bind(1, carId)
        .run();
    transaction.commit();
}

} // namespace krv::reg
