#include "core/geometry/Gradient.h"

#include <cmath>

namespace tidorax {

namespace {

int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

GradientPlan PaintGradient(GradientState& state, int bitsPerPixel, int planes, int width, int height,
                           int direction) {
    if (state.ScreenDepth == 0) {
        state.ScreenDepth = bitsPerPixel * planes;
        switch (state.ScreenDepth) {
        case 4:
        case 8:
            state.GradientSteps = 64;
            break;
        case 15:
            state.GradientSteps = 32;
            break;
        case 16:
        case 24:
        case 32:
            state.GradientSteps = 256;
            break;
        default:
            state.ScreenDepth = 4;
            state.GradientSteps = 64;
            break;
        }
    }

    GradientPlan plan;
    if (direction == GRADIENT_NONE) {
        plan.plainBackColour = true;
        return plan;
    }

    const int steps = state.GradientSteps;
    const int colourStep = roundHalfEven(256.0 / steps);
    const int rowStep = roundHalfEven(static_cast<double>(height) / steps);
    const int colStep = roundHalfEven(static_cast<double>(width) / steps);

    int right = width;
    int bottom = height;
    int blue = 0;
    for (int band = 0; band < steps; ++band) {
        if (direction == GRADIENT_CORNER) {
            plan.fills.push_back({0, bottom - rowStep, right, bottom, blue});
            plan.fills.push_back({right - colStep, 0, right, bottom, blue});
            bottom -= rowStep;
            right -= colStep;
        } else if (direction == GRADIENT_HORIZONTAL) {
            plan.fills.push_back({0, bottom - rowStep, width, bottom, blue});
            bottom -= rowStep;
        } else {
            plan.fills.push_back({right - colStep, 0, right, height, blue});
            right -= colStep;
        }
        blue += colourStep;
    }
    plan.fills.push_back({0, 0, right, bottom, 255});
    return plan;
}

} // namespace tidorax
