// The register of a busy workshop after years of work: 10,000 cars with 20 versions each
// (every version seen twice), in a real file. Wall times against the goals: opening it, a
// search at each key the fitter types, recognising a controller at connection, and recording
// a version with its fsync.

#include "connection/controller_model.h"
#include "register/car_register.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using krv::reg::CarRegister;
using Clock = std::chrono::steady_clock;

constexpr int kCars = 10000;
constexpr int kVersions = 20;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A car's map after its n-th visit: a base of its own, then cells tuned a little each time.
krv::MapSnapshot stateOf(int car, int version) {
    std::mt19937 random(static_cast<unsigned>(car));
    krv::MapSnapshot state;
    for (uint8_t& cell : state.cells) {
        cell = static_cast<uint8_t>(100 + random() % 60);
    }
    for (int i = 0; i < version; ++i) {
        state.cells[static_cast<size_t>((car * 7 + i * 13) % krv::kMapCells)] += 1;
    }
    return state;
}

std::string plateOf(int car) {
    static const char* const kRegions[] = {"WX", "KR", "PO", "GD", "WR", "LU", "SK", "EL"};
    return std::string(kRegions[car % 8]) + " " + std::to_string(10000 + car * 7 % 90000);
}

void fill(const std::string& path) {
    CarRegister cars(path);
    krv::reg::Database& db = cars.database();
    static const char* const kCustomers[] = {"Jan Kowalski", "Anna Nowak",      "Piotr Wiśniewski",
                                             "Maria Wójcik", "Tomasz Kamiński", "Firma Trans-Pol"};
    db.exec("BEGIN");
    auto car = db.prepare("INSERT INTO cars(plate, plate_key, make, model, year, customer, notes, "
                          "created, changed, last_visit) VALUES(?, ?, 'Skoda', 'Octavia', 2009, "
                          "?, 'reduktor Tomasetto, wtryski Valtek', 1, 1, ?)");
    auto version = db.prepare("INSERT INTO versions(car_id, fingerprint, device_type, "
                              "firmware_version, state, cause, first_seen) VALUES(?, ?, 1, 261, "
                              "?, 1, ?)");
    auto sighting = db.prepare("INSERT INTO sightings(version_id, at, cause) VALUES(?, ?, 1)");
    for (int i = 0; i < kCars; ++i) {
        const int64_t lastVisit = 1'700'000'000 + i * 3600;
        car.reset();
        car.bind(1, plateOf(i))
            .bind(2, CarRegister::plateKey(plateOf(i)))
            .bind(3, kCustomers[i % 6])
            .bind(4, lastVisit)
            .run();
        const int64_t carId = db.lastInsertId();
        for (int v = 0; v < kVersions; ++v) {
            const krv::MapSnapshot state = stateOf(i, v);
            const std::vector<uint8_t> bytes = krv::reg::encodeState(state);
            version.reset();
            version.bind(1, carId)
                .bind(2, static_cast<int64_t>(krv::fingerprintOf(state)))
                .bind(3, std::span<const uint8_t>(bytes))
                .bind(4, lastVisit - (kVersions - v) * 86400)
                .run();
            const int64_t versionId = db.lastInsertId();
            for (int seen = 0; seen < 2; ++seen) {
                sighting.reset();
                sighting.bind(1, versionId)
                    .bind(2, lastVisit - (kVersions - v) * 86400 + seen)
                    .run();
            }
        }
    }
    db.exec("COMMIT");
}

void report(const char* what, double measured, double goal) {
    std::printf("%-44s %8.3f ms   goal <= %5.1f ms   %s\n", what, measured, goal,
                measured <= goal ? "met" : "MISSED");
}

} // namespace

int main() {
    krv::test::TempFolder folder;
    const std::string path = (folder.path() / "register.sqlite").string();
    const auto filling = Clock::now();
    fill(path);
    std::printf("register of %d cars x %d versions made in %.1f s\n", kCars, kVersions,
                millisecondsSince(filling) / 1000);

    double open = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        CarRegister cars(path);
        cars.search("", 1);
        open = std::min(open, millisecondsSince(start));
    }
    CarRegister cars(path);

    // The fitter types a plate, a customer's name and a VIN fragment, key by key; the first
    // key reads the register's pages into this connection's cache.
    double firstKey = 0;
    double worstKey = 0;
    double keys = 0;
    int keyCount = 0;
    for (const std::string typed : {"WX 1234", "kowals", "tomasetto"}) {
        for (size_t length = 1; length <= typed.size(); ++length) {
            const auto start = Clock::now();
            cars.search(typed.substr(0, length));
            const double took = millisecondsSince(start);
            if (keyCount == 0) {
                firstKey = took;
            } else {
                worstKey = std::max(worstKey, took);
            }
            keys += took;
            ++keyCount;
        }
    }

    double recognise = 0;
    std::mt19937 random(7);
    constexpr int kRecognitions = 50;
    for (int i = 0; i < kRecognitions; ++i) {
        const krv::MapSnapshot state =
            stateOf(static_cast<int>(random() % kCars), static_cast<int>(random() % kVersions));
        const auto start = Clock::now();
        const auto found = cars.recognise(state);
        recognise += millisecondsSince(start);
        if (found.matching.size() != 1) {
            std::printf("recognition found %zu cars\n", found.matching.size());
            return 1;
        }
    }
    const auto unknownStart = Clock::now();
    cars.recognise(stateOf(kCars + 1, 0));
    const double unknown = millisecondsSince(unknownStart);

    double record = 0;
    constexpr int kRecords = 30;
    const int64_t car = cars.carByPlate(plateOf(42))->id;
    for (int i = 0; i < kRecords; ++i) {
        krv::ControllerData data;
        data.firmwareVersion = 261;
        data.state = stateOf(42, kVersions + i);
        const auto start = Clock::now();
        cars.recordState(car, data, krv::reg::Cause::Edit);
        record += millisecondsSince(start);
    }

    report("open", open, 100);
    report("search, first key after opening", firstKey, 20);
    report("search, worst of the other keys", worstKey, 20);
    std::printf("%-44s %8.3f ms\n", "search, mean key", keys / keyCount);
    report("recognition at connection (one car)", recognise / kRecognitions, 5);
    std::printf("%-44s %8.3f ms\n", "unknown controller, closest cars", unknown);
    report("recording a version (fsync)", record / kRecords, 10);
    return 0;
}
