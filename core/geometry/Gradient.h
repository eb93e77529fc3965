// The blue gradient of the shutdown notice as a list of filled rectangles: which
// bands a window of a given size and colour depth gets, in painting order.
#pragma once

#include <cstdint>
#include <vector>

namespace tidorax {

// Directions of the gradient.
inline constexpr int GRADIENT_CORNER = 0;     // bands closing in on the top-left corner
inline constexpr int GRADIENT_HORIZONTAL = 1; // horizontal bands from the bottom up
inline constexpr int GRADIENT_NONE = 3;       // plain dark blue back colour
// Any other value: vertical bands from the right to the left.

inline constexpr std::uint32_t GRADIENT_PLAIN_BACK_COLOUR = 0x7F0000; // &HBBGGRR: blue 127

// What a window keeps between two paintings.
struct GradientState {
    std::int32_t ScreenDepth = 0;
    std::int16_t GradientSteps = 0;
};

// A rectangle filled with red 0, green 0 and the given blue level. As with the
// system's fill, right and bottom are exclusive, and a rectangle whose right or
// bottom is not beyond its left or top paints nothing.
struct GradientFill {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int blue = 0;

    bool empty() const { return right <= left || bottom <= top; }
};

struct GradientPlan {
    // Direction 3: only the back colour is set.
    bool plainBackColour = false;
    // The band fills in order, then the fill of what is left over with pure blue.
    std::vector<GradientFill> fills;
};

// Computes ScreenDepth from bits per pixel and planes when it is 0 (unknown depths
// count as 4 bits), the number of bands from it, and the fills for a client area of
// width x height pixels in the given direction.
GradientPlan PaintGradient(GradientState& state, int bitsPerPixel, int planes, int width, int height,
                           int direction);

} // namespace tidorax
