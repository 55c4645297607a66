#include "connection/controller_model.h"
#include "register/car_register.h"

#include <algorithm>

namespace krv::reg {

namespace {

int differingCells(const MapCells& a, std::span<const uint8_t> stored) {
    int count = 0;
    for (size_t i = 0; i < a.size() && i < stored.size(); ++i) {
        count += a[i] != stored[i] ? 1 : 0;
    }
    return count;
}

} // namespace

Recognition CarRegister::recognise(const MapSnapshot& state, size_t closestCount) {
    Recognition recognition;
    Statement matching = db_.prepare(
        "SELECT DISTINCT car_id FROM versions WHERE fingerprint = ? AND car_id IS NOT NULL");
    matching.bind(1, static_cast<int64_t>(fingerprintOf(state)));
    while (matching.step()) {
        if (std::optional<Car> found = car(matching.integer(0))) {
            recognition.matching.push_back(std::move(*found));
        }
    }
    std::ranges::sort(recognition.matching, std::ranges::greater{}, &Car::lastVisit);
    if (!recognition.matching.empty() || closestCount == 0) {
        return recognition;
    }
    Statement newest = db_.prepare("SELECT car_id, cells FROM newest_cells");
    std::vector<std::pair<int, int64_t>> ranked; // differing cells, car
    while (newest.step()) {
        ranked.emplace_back(differingCells(state.cells, newest.blob(1)), newest.integer(0));
    }
    const size_t kept = std::min(closestCount, ranked.size());
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(kept),
                      ranked.end());
    for (size_t i = 0; i < kept; ++i) {
        if (std::optional<Car> found = car(ranked[i].second)) {
            recognition.closest.push_back({std::move(*found), ranked[i].first});
        }
    }
    return recognition;
}

std::optional<WrongCar> CarRegister::wrongCar(int64_t carId, const MapSnapshot& state) {
    const auto fingerprint = static_cast<int64_t>(fingerprintOf(state));
    Statement own =
        db_.prepare("SELECT 1 FROM versions WHERE car_id = ? AND fingerprint = ? LIMIT 1");
    own.bind(1, carId).bind(2, fingerprint);
    if (own.step()) {
        return std::nullopt;
    }
    Statement other = db_.prepare(
        "SELECT v.car_id, max(s.at) AS seen FROM versions v JOIN sightings s ON s.version_id = "
        "v.id WHERE v.fingerprint = ? AND v.car_id IS NOT NULL AND v.car_id != ? "
        "GROUP BY v.car_id ORDER BY seen DESC LIMIT 1");
    other.bind(1, fingerprint).bind(2, carId);
    if (!other.step()) {
        return std::nullopt;
    }
    std::optional<Car> holder = car(other.integer(0));
    if (!holder) {
        return std::nullopt;
    }
    return WrongCar{std::move(*holder), other.integer(1)};
}

} // namespace krv::reg
