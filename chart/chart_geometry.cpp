#include "chart/chart_geometry.h"

#include <algorithm>
#include <cmath>

namespace krv {

bool PixelRect::intersects(const PixelRect& other) const {
    if (isEmpty() || other.isEmpty()) {
        return false;
    }
    return std::max(left, other.left) < std::min(right, other.right) &&
           std::max(top, other.top) < std::min(bottom, other.bottom);
}

std::vector<int> horizontalGridLines(int height, std::uint32_t divisions) {
    std::vector<int> rows;
    if (divisions == 0 || height <= 0) {
        return rows;
    }
    const int step = height / static_cast<int>(std::min<std::uint32_t>(divisions, 1u << 30));
    // A window lower than the number of divisions has a step of 0: no lines rather than no end.
    if (step == 0) {
        return rows;
    }
    for (int y = step; y < height; y += step) {
        rows.push_back(y);
    }
    return rows;
}

int labelFontPixelHeight(int width, int height) {
    const double area = static_cast<double>(std::max(width, 0)) * std::max(height, 0);
    // A character height of 0 would mean "any size"; keep the text at least one pixel high.
    return std::max(truncToInt(std::sqrt(area) / 50), 1);
}

} // namespace krv
