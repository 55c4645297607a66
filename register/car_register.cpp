#include "register/car_register.h"

#include "connection/controller_model.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace krv::reg {

namespace {

// Of the cars table named c.
constexpr std::string_view kCarColumns =
    "c.id, c.plate, c.vin, c.make, c.model, c.year, c.engine, c.lpg_kit, c.customer, c.phone, "
    "c.notes, c.created, c.changed, c.last_visit";

constexpr std::string_view kVersionColumns =
    "v.id, v.car_id, v.device_type, v.firmware_version, v.state, v.fingerprint, v.cause, "
    "v.first_seen, (SELECT max(at) FROM sightings WHERE version_id = v.id), "
    "(SELECT count(*) FROM sightings WHERE version_id = v.id), v.source";

std::string sql(std::string_view head, std::string_view columns, std::string_view tail) {
    return std::string(head) + std::string(columns) + std::string(tail);
}

int64_t systemNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

Version readVersion(const Statement& row) {
    Version version;
    version.id = row.integer(0);
    if (!row.isNull(1)) {
        version.carId = row.integer(1);
    }
    version.state.deviceType = static_cast<uint8_t>(row.integer(2));
    version.state.firmwareVersion = static_cast<uint16_t>(row.integer(3));
    const std::vector<uint8_t> bytes = row.blob(4);
    const std::optional<MapSnapshot> state = decodeState(bytes);
    if (!state) {
        throw DatabaseFault(FaultKind::Damaged, "version " + std::to_string(version.id) +
                                                    ": a state of " + std::to_string(bytes.size()) +
                                                    " bytes");
    }
    version.state.state = *state;
    version.fingerprint = static_cast<uint64_t>(row.integer(5));
    version.cause = static_cast<Cause>(row.integer(6));
    version.firstSeen = row.integer(7);
    version.lastSeen = row.integer(8);
    version.timesSeen = row.integer(9);
    version.source = row.text(10);
    return version;
}

// A LIKE pattern that finds text anywhere, its own % and _ taken literally.
std::string containsPattern(std::string_view text) {
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern + "%";
}

// The path, its folder made when missing; a folder that cannot be made shows as the open's
// failure.
const std::string& withFolder(const std::string& path) {
    if (path != ":memory:") {
        makeDirectories(directoryOf(path));
    }
    return path;
}

} // namespace

CarRegister::CarRegister(const std::string& path) : CarRegister(path, Options{}) {}

CarRegister::CarRegister(const std::string& path, Options options)
    : db_(withFolder(path)), clock_(options.clock ? std::move(options.clock) : Clock(systemNow)) {
    db_.exec("PRAGMA busy_timeout = " + std::to_string(options.busyTimeoutMs));
    // Reading the layout first: a file that is not a database, or one from a newer version,
    // is refused before anything below could write to it.
    if (schemaVersionOf(db_) > kSchemaVersion) {
        migrate(db_); // raises the fault that says so
    }
    if (path != ":memory:") {
        // A laptop that loses power keeps every committed version.
        db_.exec("PRAGMA journal_mode = WAL");
    }
    db_.exec("PRAGMA synchronous = FULL");
    db_.exec("PRAGMA foreign_keys = ON");
    migrate(db_);
}

std::string CarRegister::defaultPath() {
    const std::string base = xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base + "/Morvelcast/register.sqlite";
}

std::string CarRegister::plateKey(std::string_view plate) {
    std::string key;
    for (const char c : plate) {
        if (c != ' ' && c != '-' && c != '\t') {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return key;
}

int64_t CarRegister::now() const {
    return clock_();
}

Car CarRegister::readCar(const Statement& row) const {
    Car car;
    car.id = row.integer(0);
    car.details.plate = row.text(1);
    car.details.vin = row.text(2);
    car.details.make = row.text(3);
    car.details.model = row.text(4);
    car.details.year = static_cast<int>(row.integer(5));
    car.details.engine = row.text(6);
    car.details.lpgKit = row.text(7);
    car.details.customer = row.text(8);
    car.details.phone = row.text(9);
    car.details.notes = row.text(10);
    car.created = row.integer(11);
    car.changed = row.integer(12);
    car.lastVisit = row.integer(13);
    return car;
}

namespace {

void bindDetails(Statement& statement, const CarDetails& details) {
    statement.bind(1, details.plate)
        .bind(2, CarRegister::plateKey(details.plate))
        .bind(3, details.vin)
        .bind(4, details.make)
        .bind(5, details.model)
        .bind(6, int64_t{details.year})
        .bind(7, details.engine)
        .bind(8, details.lpgKit)
        .bind(9, details.customer)
        .bind(10, details.phone)
        .bind(11, details.notes);
}

} // namespace

std::optional<int64_t> CarRegister::addCar(const CarDetails& details) {
    if (plateKey(details.plate).empty() || carByPlate(details.plate)) {
        return std::nullopt;
    }
    Statement insert = db_.prepare(
        "INSERT INTO cars(plate, plate_key, vin, make, model, year, engine, lpg_kit, customer, "
        "phone, notes, created, changed) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    bindDetails(insert, details);
    const int64_t time = now();
    insert.bind(12, time).bind(13, time).run();
    return db_.lastInsertId();
}

void CarRegister::updateCar(int64_t id, const CarDetails& details) {
    Statement update = db_.prepare(
        "UPDATE cars SET plate = ?, plate_key = ?, vin = ?, make = ?, model = ?, year = ?, "
        "engine = ?, lpg_kit = ?, customer = ?, phone = ?, notes = ?, changed = ? WHERE id = ?");
    bindDetails(update, details);
    update.bind(12, now()).bind(13, id).run();
}

std::optional<Car> CarRegister::car(int64_t id) {
    Statement query = db_.prepare(sql("SELECT ", kCarColumns, " FROM cars c WHERE c.id = ?"));
    query.bind(1, id);
    return query.step() ? std::optional(readCar(query)) : std::nullopt;
}

std::optional<Car> CarRegister::carByPlate(std::string_view plate) {
    Statement query =
        db_.prepare(sql("SELECT ", kCarColumns, " FROM cars c WHERE c.plate_key = ?"));
    query.bind(1, plateKey(plate));
    return query.step() ? std::optional(readCar(query)) : std::nullopt;
}

std::vector<Car> CarRegister::search(std::string_view text, size_t limit) {
    // The search's own table is read in visit order, newest first, and stops at the limit.
    Statement query = db_.prepare(
        sql("SELECT ", kCarColumns,
            " FROM car_search s JOIN cars c ON c.id = s.car_id WHERE s.text LIKE ?1 ESCAPE '\\' "
            "OR s.text LIKE ?2 ESCAPE '\\' ORDER BY s.last_visit DESC, s.car_id DESC LIMIT ?3"));
    query.bind(1, containsPattern(text)).bind(3, static_cast<int64_t>(limit));
    // The plate as typed without its spaces ("wx12" finds "WX 12345"), when that is another
    // text: each pattern costs a pass over every car that does not match.
    const std::string key = plateKey(text);
    const bool sameText = std::ranges::equal(key, text, [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    });
    if (sameText) {
        query.bindNull(2);
    } else {
        query.bind(2, containsPattern(key));
    }
    std::vector<Car> cars;
    while (query.step()) {
        cars.push_back(readCar(query));
    }
    return cars;
}

int64_t CarRegister::recordState(std::optional<int64_t> carId, const ControllerData& state,
                                 Cause cause) {
    return record(carId, state, cause, now(), {});
}

int64_t CarRegister::record(std::optional<int64_t> carId, const ControllerData& state, Cause cause,
                            int64_t at, std::string_view source) {
    const std::vector<uint8_t> bytes = encodeState(state.state);
    const auto fingerprint = static_cast<int64_t>(fingerprintOf(state.state));
    Transaction transaction(db_);
    // A car's state counts as seen again only while it is the car's newest; imported states
    // are one version however often the folder holds them.
    Statement same =
        carId ? db_.prepare("SELECT id, device_type, firmware_version, state FROM versions "
                            "WHERE car_id = ?1 ORDER BY id DESC LIMIT 1")
              : db_.prepare("SELECT id, device_type, firmware_version, state FROM versions "
                            "WHERE car_id IS NULL AND fingerprint = ?2 AND state = ?3");
    if (carId) {
        same.bind(1, *carId);
    } else {
        same.bind(2, fingerprint).bind(3, std::span<const uint8_t>(bytes));
    }
    std::optional<int64_t> versionId;
    while (!versionId && same.step()) {
        if (same.integer(1) == state.deviceType && same.integer(2) == state.firmwareVersion &&
            same.blob(3) == bytes) {
            versionId = same.integer(0);
        }
    }
    if (!versionId) {
        Statement insert = db_.prepare(
            "INSERT INTO versions(car_id, fingerprint, device_type, firmware_version, state, "
            "cause, first_seen, source) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        if (carId) {
            insert.bind(1, *carId);
        } else {
            insert.bindNull(1);
        }
        insert.bind(2, fingerprint)
            .bind(3, int64_t{state.deviceType})
            .bind(4, int64_t{state.firmwareVersion})
            .bind(5, std::span<const uint8_t>(bytes))
            .bind(6, static_cast<int64_t>(cause))
            .bind(7, at)
            .bind(8, source)
            .run();
        versionId = db_.lastInsertId();
    }
    db_.prepare("INSERT INTO sightings(version_id, at, cause) VALUES(?, ?, ?)")
        .bind(1, *versionId)
        .bind(2, at)
        .bind(3, static_cast<int64_t>(cause))
        .run();
    if (carId) {
        db_.prepare("UPDATE cars SET last_visit = max(last_visit, ?) WHERE id = ?")
            .bind(1, at)
            .bind(2, *carId)
            .run();
    }
    transaction.commit();
    return *versionId;
}

std::vector<Version> CarRegister::versionsWhere(std::string_view condition,
                                                std::optional<int64_t> parameter) {
    Statement query = db_.prepare(sql("SELECT ", kVersionColumns, " FROM versions v WHERE ") +
                                  std::string(condition));
    if (parameter) {
        query.bind(1, *parameter);
    }
    std::vector<Version> found;
    while (query.step()) {
        found.push_back(readVersion(query));
    }
    return found;
}

std::vector<Version> CarRegister::versions(int64_t carId) {
    return versionsWhere("v.car_id = ? ORDER BY v.id", carId);
}

std::optional<Version> CarRegister::version(int64_t id) {
    std::vector<Version> found = versionsWhere("v.id = ?", id);
    return found.empty() ? std::nullopt : std::optional(std::move(found.front()));
}

void CarRegister::attachLog(int64_t carId, const std::string& path) {
    db_.prepare("INSERT INTO logs(car_id, at, path) VALUES(?, ?, ?)")
        .bind(1, carId)
        .bind(2, now())
        .bind(3, path)
        .run();
}

void CarRegister::recordDrive(int64_t carId, const DriveRecord& drive) {
    Statement insert =
        db_.prepare("INSERT INTO drives(car_id, at, log_path, cells_learned, readings_used, "
                    "proposal) VALUES(?, ?, ?, ?, ?, ?)");
    insert.bind(1, carId)
        .bind(2, now())
        .bind(3, drive.logPath)
        .bind(4, int64_t{drive.cellsLearned})
        .bind(5, int64_t{drive.readingsUsed});
    if (drive.proposal) {
        insert.bind(6, std::span<const uint8_t>(encodeState(*drive.proposal)));
    } else {
        insert.bindNull(6);
    }
    insert.run();
}

void CarRegister::recordFirmwareUpdate(int64_t carId, const FirmwareUpdateRecord& update) {
    db_.prepare("INSERT INTO firmware_updates(car_id, at, file, version, checksum, succeeded) "
                "VALUES(?, ?, ?, ?, ?, ?)")
        .bind(1, carId)
        .bind(2, now())
        .bind(3, update.file)
        .bind(4, int64_t{update.version})
        .bind(5, int64_t{update.checksum})
        .bind(6, int64_t{update.succeeded ? 1 : 0})
        .run();
}

void CarRegister::addNote(int64_t carId, const std::string& text) {
    db_.prepare("INSERT INTO notes(car_id, at, text) VALUES(?, ?, ?)")
        .bind(1, carId)
        .bind(2, now())
        .bind(3, text)
        .run();
}

std::vector<TimelineEntry> CarRegister::timeline(int64_t carId) {
    using Kind = TimelineEntry::Kind;
    std::vector<TimelineEntry> entries;
    Statement seen = db_.prepare("SELECT s.at, s.version_id, s.cause FROM sightings s JOIN "
                                 "versions v ON v.id = s.version_id WHERE v.car_id = ?");
    seen.bind(1, carId);
    while (seen.step()) {
        entries.push_back({.kind = Kind::Seen,
                           .at = seen.integer(0),
                           .versionId = seen.integer(1),
                           .cause = static_cast<Cause>(seen.integer(2))});
    }
    const auto collect = [&](std::string_view query, auto fill) {
        Statement rows = db_.prepare(query);
        rows.bind(1, carId);
        while (rows.step()) {
            fill(rows);
        }
    };
    collect("SELECT at, path FROM logs WHERE car_id = ?", [&](const Statement& row) {
        entries.push_back({.kind = Kind::Log, .at = row.integer(0), .text = row.text(1)});
    });
    collect("SELECT at, log_path, cells_learned, readings_used FROM drives WHERE car_id = ?",
            [&](const Statement& row) {
                entries.push_back({.kind = Kind::Drive,
                                   .at = row.integer(0),
                                   .text = row.text(1),
                                   .cellsLearned = static_cast<int>(row.integer(2)),
                                   .readingsUsed = static_cast<int>(row.integer(3))});
            });
    collect("SELECT at, file, version, checksum, succeeded FROM firmware_updates "
            "WHERE car_id = ?",
            [&](const Statement& row) {
                entries.push_back({.kind = Kind::FirmwareUpdate,
                                   .at = row.integer(0),
                                   .text = row.text(1),
                                   .firmwareVersion = static_cast<uint16_t>(row.integer(2)),
                                   .checksum = static_cast<uint32_t>(row.integer(3)),
                                   .succeeded = row.integer(4) != 0});
            });
    collect("SELECT at, text FROM notes WHERE car_id = ?", [&](const Statement& row) {
        entries.push_back({.kind = Kind::Note, .at = row.integer(0), .text = row.text(1)});
    });
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TimelineEntry& a, const TimelineEntry& b) { return a.at < b.at; });
    return entries;
}

} // namespace krv::reg
