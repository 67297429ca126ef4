#pragma once
// The game's own numeric vocabulary: 16-bit signed integers everywhere, and truth
// values kept in them as 0 (false) and -1 (all bits set, true), flipped by complement.

#include <cstdint>

namespace platform {

using Integer = std::int16_t;
using Boolean = std::int16_t;

inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;

// An RGB colour; a component computed above 255 counts as 255.
struct Rgb {
    int r = 0, g = 0, b = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

constexpr Rgb RGB(int r, int g, int b) {
    auto clamp = [](int c) { return c < 0 ? 0 : (c > 255 ? 255 : c); };
    return Rgb{clamp(r), clamp(g), clamp(b)};
}

// Window coordinates are kept in twips: 15 twips to a pixel at 96 dots per inch.
inline constexpr int TwipsPerPixel = 15;

}  // namespace platform
