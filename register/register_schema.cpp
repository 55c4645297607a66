#include "register/car_register.h"

#include <array>
#include <string>

namespace krv::reg {

namespace {

// Step n takes a database of layout n to layout n + 1. Released steps are never edited: a new
// layout is a new step.
constexpr std::array<std::string_view, kSchemaVersion> kSteps{
    // 0 -> 1: cars and the states seen on their controllers.
    R"(
CREATE TABLE cars(
    id INTEGER PRIMARY KEY,
    plate TEXT NOT NULL,
    plate_key TEXT NOT NULL UNIQUE,
    vin TEXT NOT NULL DEFAULT '',
    make TEXT NOT NULL DEFAULT '',
    model TEXT NOT NULL DEFAULT '',
    year INTEGER NOT NULL DEFAULT 0,
    engine TEXT NOT NULL DEFAULT '',
    customer TEXT NOT NULL DEFAULT '',
    phone TEXT NOT NULL DEFAULT '',
    notes TEXT NOT NULL DEFAULT '',
    created INTEGER NOT NULL,
    changed INTEGER NOT NULL);
CREATE TABLE versions(
    id INTEGER PRIMARY KEY,
    car_id INTEGER REFERENCES cars(id),
    fingerprint INTEGER NOT NULL,
    device_type INTEGER NOT NULL,
    firmware_version INTEGER NOT NULL,
    state BLOB NOT NULL,
    cause INTEGER NOT NULL,
    first_seen INTEGER NOT NULL);
CREATE TABLE sightings(
    id INTEGER PRIMARY KEY,
    version_id INTEGER NOT NULL REFERENCES versions(id),
    at INTEGER NOT NULL,
    cause INTEGER NOT NULL);
CREATE INDEX versions_by_fingerprint ON versions(fingerprint);
CREATE INDEX versions_by_car ON versions(car_id, id);
CREATE INDEX sightings_by_version ON sightings(version_id, at);
)",
    // 1 -> 2: the LPG kit, the newest visit kept on the car, what happened on a visit besides
    // the states, the backups brought in, and two narrow tables kept by triggers: each car's
    // searched fields in one text, in visit order, so a search as the fitter types reads one
    // small table in order instead of every car's row; and the cells of each car's newest
    // version (the first 240 bytes of a stored state), for the closest cars to an unknown map.
    R"(
ALTER TABLE cars ADD COLUMN lpg_kit TEXT NOT NULL DEFAULT '';
ALTER TABLE cars ADD COLUMN last_visit INTEGER NOT NULL DEFAULT 0;
UPDATE cars SET last_visit = coalesce((SELECT max(s.at) FROM sightings s
    JOIN versions v ON v.id = s.version_id WHERE v.car_id = cars.id), 0);
ALTER TABLE versions ADD COLUMN source TEXT NOT NULL DEFAULT '';
CREATE TABLE logs(
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES cars(id),
    at INTEGER NOT NULL,
    path TEXT NOT NULL);
CREATE TABLE drives(
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES cars(id),
    at INTEGER NOT NULL,
    log_path TEXT NOT NULL,
    cells_learned INTEGER NOT NULL,
    readings_used INTEGER NOT NULL,
    proposal BLOB);
CREATE TABLE firmware_updates(
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES cars(id),
    at INTEGER NOT NULL,
    file TEXT NOT NULL,
    version INTEGER NOT NULL,
    checksum INTEGER NOT NULL,
    succeeded INTEGER NOT NULL);
CREATE TABLE notes(
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES cars(id),
    at INTEGER NOT NULL,
    text TEXT NOT NULL);
CREATE TABLE imported_files(path TEXT PRIMARY KEY);
CREATE INDEX logs_by_car ON logs(car_id);
CREATE INDEX drives_by_car ON drives(car_id);
CREATE INDEX firmware_updates_by_car ON firmware_updates(car_id);
CREATE INDEX notes_by_car ON notes(car_id);
CREATE TABLE car_search(
    last_visit INTEGER NOT NULL,
    car_id INTEGER NOT NULL,
    text TEXT NOT NULL,
    PRIMARY KEY(last_visit, car_id)) WITHOUT ROWID;
INSERT INTO car_search SELECT last_visit, id, {text} FROM cars;
CREATE TRIGGER car_added AFTER INSERT ON cars BEGIN
    INSERT INTO car_search VALUES(new.last_visit, new.id, {new.text});
END;
CREATE TRIGGER car_changed AFTER UPDATE ON cars BEGIN
    DELETE FROM car_search WHERE last_visit = old.last_visit AND car_id = old.id;
    INSERT INTO car_search VALUES(new.last_visit, new.id, {new.text});
END;
CREATE TABLE newest_cells(
    car_id INTEGER PRIMARY KEY,
    version_id INTEGER NOT NULL,
    cells BLOB NOT NULL);
INSERT INTO newest_cells SELECT car_id, id, substr(state, 1, 240) FROM versions
    WHERE id IN (SELECT max(id) FROM versions WHERE car_id IS NOT NULL GROUP BY car_id);
CREATE TRIGGER version_added AFTER INSERT ON versions WHEN new.car_id IS NOT NULL BEGIN
    INSERT OR REPLACE INTO newest_cells VALUES(new.car_id, new.id, substr(new.state, 1, 240));
END;
CREATE TRIGGER version_assigned AFTER UPDATE OF car_id ON versions
    WHEN new.car_id IS NOT NULL BEGIN
    INSERT OR REPLACE INTO newest_cells SELECT new.car_id, new.id, substr(new.state, 1, 240)
        WHERE new.id > coalesce((SELECT version_id FROM newest_cells
                                 WHERE car_id = new.car_id), 0);
END;
)",
};

// What the search looks in, one field a line, of the row named by prefix ("" or "new.").
std::string searchText(std::string_view prefix) {
    std::string text;
    for (const std::string_view column :
         {"plate_key", "plate", "vin", "make", "model", "customer", "phone", "notes"}) {
        text +=
            (text.empty() ? "" : " || char(10) || ") + std::string(prefix) + std::string(column);
    }
    return text;
}

// The step with the search text written out where it stands as {text} or {new.text}.
std::string stepText(std::string_view step) {
    std::string sql(step);
    for (const std::string_view prefix : {"", "new."}) {
        const std::string mark = "{" + std::string(prefix) + "text}";
        for (size_t at = sql.find(mark); at != std::string::npos; at = sql.find(mark, at)) {
            sql.replace(at, mark.size(), searchText(prefix));
        }
    }
    return sql;
}

} // namespace

int schemaVersionOf(Database& db) {
    Statement query = db.prepare("PRAGMA user_version");
    query.step();
    return static_cast<int>(query.integer(0));
}

void migrate(Database& db, int target) {
    const int found = schemaVersionOf(db);
    if (found > kSchemaVersion) {
        throw DatabaseFault(FaultKind::Newer, db.path() + ": layout " + std::to_string(found) +
                                                  ", this version reads up to " +
                                                  std::to_string(kSchemaVersion));
    }
    if (found >= target) {
        return;
    }
    // One transaction: a migration cut off by a crash leaves the old layout whole.
    Transaction transaction(db);
    for (int step = found; step < target; ++step) {
        db.exec(stepText(kSteps[static_cast<size_t>(step)]));
    }
    db.exec("PRAGMA user_version = " + std::to_string(target));
    transaction.commit();
}

} // namespace krv::reg
