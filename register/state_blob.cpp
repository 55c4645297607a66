#include "register/car_register.h"

namespace krv::reg {

namespace {

// cells, rows (16-bit little-endian), columns, divider, delta, period (16-bit little-endian)
constexpr size_t kStateBytes = kMapCells + 2 * kMapRows + kMapColumns + 1 + 1 + 2;

} // namespace

std::vector<uint8_t> encodeState(const MapSnapshot& state) {
    std::vector<uint8_t> bytes;
    bytes.reserve(kStateBytes);
    bytes.insert(bytes.end(), state.cells.begin(), state.cells.end());
    for (const int16_t row : state.rows) {
        const auto word = static_cast<uint16_t>(row);
        bytes.push_back(static_cast<uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<uint8_t>(word >> 8));
    }
    bytes.insert(bytes.end(), state.columns.begin(), state.columns.end());
    bytes.push_back(state.rpmDivider);
    bytes.push_back(state.noiseDelta);
    bytes.push_back(static_cast<uint8_t>(state.noisePeriod & 0xFF));
    bytes.push_back(static_cast<uint8_t>(state.noisePeriod >> 8));
    return bytes;
}

std::optional<MapSnapshot> decodeState(std::span<const uint8_t> bytes) {
    if (bytes.size() != kStateBytes) {
        return std::nullopt;
    }
    MapSnapshot state;
    auto next = bytes.begin();
    std::copy_n(next, kMapCells, state.cells.begin());
    next += kMapCells;
    for (int16_t& row : state.rows) {
        row = static_cast<int16_t>(next[0] | (next[1] << 8));
        next += 2;
    }
    std::copy_n(next, kMapColumns, state.columns.begin());
    next += kMapColumns;
    state.rpmDivider = next[0];
    state.noiseDelta = next[1];
    state.noisePeriod = static_cast<uint16_t>(next[2] | (next[3] << 8));
    return state;
}

} // namespace krv::reg
