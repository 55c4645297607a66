#pragma once
// Pixel geometry of the chart, free of any drawing library so it can be tested on its own.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace krv {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

struct ClientSize {
    int width = 0;
    int height = 0;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(PixelPoint, PixelPoint) = default;
};

// Right and bottom are exclusive, as in a Windows RECT.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool isEmpty() const { return right <= left || bottom <= top; }
    // Touching edges do not intersect; an empty rectangle intersects nothing.
    bool intersects(const PixelRect& other) const;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Far beyond any screen, yet small enough that sums of two pixel values stay within int.
inline constexpr double kPixelBound = 1 << 24;

// Truncates toward zero; values far outside any window are held at a bound that int can carry,
// so a sample or range at an extreme value never overflows the conversion. Inline: the chart
// calls it twice for every sample it draws.
inline int truncToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, -kPixelBound, kPixelBound));
}

// Rows of the dotted horizontal grid lines: every height/divisions pixels, below the height.
std::vector<int> horizontalGridLines(int height, std::uint32_t divisions);

// Character height of the value labels after a resize of the client area to width x height.
int labelFontPixelHeight(int width, int height);

} // namespace krv
