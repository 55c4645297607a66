#pragma once
// Maps for the block tests, built from a rule over (row, column) in wire steps.

#include "map_blocks/block_operations.h"

#include <functional>

namespace krv::test {

inline MapCells cellsFrom(const std::function<int(int row, int column)>& steps) {
    MapCells cells{};
    for (int row = 0; row < protocol::kMapRows; ++row) {
        for (int column = 0; column < protocol::kMapColumns; ++column) {
            cells[static_cast<size_t>(row * protocol::kMapColumns + column)] =
                static_cast<uint8_t>(steps(row, column));
        }
    }
    return cells;
}

inline int at(const MapCells& cells, int row, int column) {
    return cells[static_cast<size_t>(row * protocol::kMapColumns + column)];
}

// Every value of the byte somewhere, neighbours far apart: a fault that reads the wrong cell
// shows.
inline MapCells scrambled() {
    return cellsFrom([](int row, int column) { return (row * 97 + column * 61 + 13) % 256; });
}

} // namespace krv::test
