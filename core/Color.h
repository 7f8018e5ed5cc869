#pragma once

#include <algorithm>
#include <cstdint>

struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;  // 0 is fully visible
    bool operator==(const Color&) const = default;
};

// A colour from red, green, blue and alpha, each 0 to 255 (alpha 0 is opaque).
constexpr Color RGB(int red, int green, int blue, int alpha = 0)
{
    auto byte = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    return Color{byte(red), byte(green), byte(blue), byte(alpha)};
}
