#include "core/geometry/Gradient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tidorax {
namespace {

// The blue level of every pixel after the fills, as the system's FillRect paints
// them (clipped to the area); -1 where nothing was painted.
struct Canvas {
    int width;
    int height;
    std::vector<int> blue;

    Canvas(int w, int h, const GradientPlan& plan)
        : width(w), height(h), blue(static_cast<size_t>(w * h), -1) {
        for (const GradientFill& fill : plan.fills) {
            for (int y = std::max(fill.top, 0); y < std::min(fill.bottom, h); ++y) {
                for (int x = std::max(fill.left, 0); x < std::min(fill.right, w); ++x) {
                    blue[static_cast<size_t>(y * w + x)] = fill.blue;
                }
            }
        }
    }
    int at(int x, int y) const { return blue[static_cast<size_t>(y * width + x)]; }
    int unpainted() const { return static_cast<int>(std::count(blue.begin(), blue.end(), -1)); }
    // Width and height of the pure blue area at the top-left corner.
    std::pair<int, int> pureBlueCorner() const {
        int w = 0;
        while (w < width && at(w, 0) == 255) {
            ++w;
        }
        int h = 0;
        while (h < height && at(0, h) == 255) {
            ++h;
        }
        return {w, h};
    }
};

TEST(Gradient, DepthDecidesTheBandsOfTheDesignArea) {
    // The design client area at 15 twips per pixel is 420 x 143 pixels.
    struct Case {
        int bitsPerPixel;
        int planes;
        int depth;
        int steps;
        int topLeftBlue;
        std::pair<int, int> pureBlue;
        int colourStep, rowStep, colStep; // of each band
    };
    const Case cases[] = {{32, 1, 32, 256, 142, {0, 0}, 1, 1, 2},  {16, 1, 16, 256, 142, {0, 0}, 1, 1, 2},
                          {15, 1, 15, 32, 255, {4, 15}, 8, 4, 13}, {8, 1, 8, 64, 236, {0, 0}, 4, 2, 7},
                          {12, 1, 4, 64, 236, {0, 0}, 4, 2, 7},    {1, 8, 8, 64, 236, {0, 0}, 4, 2, 7}};
    for (const Case& c : cases) {
        GradientState state;
        const GradientPlan plan = PaintGradient(state, c.bitsPerPixel, c.planes, 420, 143, GRADIENT_CORNER);
        EXPECT_EQ(std::pair(state.ScreenDepth, int{state.GradientSteps}), std::pair(c.depth, c.steps))
            << c.bitsPerPixel;
        // Two fills per band, then the pure blue rest.
        ASSERT_EQ(plan.fills.size(), static_cast<size_t>(2 * c.steps + 1)) << c.bitsPerPixel;
        const Canvas canvas(420, 143, plan);
        EXPECT_EQ(canvas.unpainted(), 0) << c.bitsPerPixel;
        EXPECT_EQ(canvas.at(419, 142), 0) << "the bottom-right corner is black, " << c.bitsPerPixel;
        EXPECT_EQ(canvas.at(0, 0), c.topLeftBlue) << c.bitsPerPixel;
        EXPECT_EQ(canvas.pureBlueCorner(), c.pureBlue) << c.bitsPerPixel;
        // Band 1: an L of RowStep rows along the bottom and ColStep columns along the right.
        const GradientFill& row = plan.fills[2];
        const GradientFill& column = plan.fills[3];
        EXPECT_EQ(std::vector<int>({row.blue, row.top, row.bottom, column.left, column.right}),
                  std::vector<int>({c.colourStep, 143 - 2 * c.rowStep, 143 - c.rowStep, 420 - 2 * c.colStep,
                                    420 - c.colStep}))
            << c.bitsPerPixel;
    }
}

TEST(Gradient, TinyAreaIsAllPureBlue) {
    GradientState state;
    const GradientPlan plan = PaintGradient(state, 32, 1, 40, 20, GRADIENT_CORNER);
    const Canvas canvas(40, 20, plan);
    EXPECT_EQ(std::count(canvas.blue.begin(), canvas.blue.end(), 255), 40 * 20);
    for (size_t i = 0; i + 1 < plan.fills.size(); ++i) {
        EXPECT_TRUE(plan.fills[i].empty()) << i;
    }
}

TEST(Gradient, DirectionsAndTheRememberedDepth) {
    GradientState state;
    GradientPlan plan = PaintGradient(state, 8, 1, 420, 143, GRADIENT_HORIZONTAL);
    Canvas canvas(420, 143, plan);
    // Horizontal bands from the bottom up, two rows each; the top row is left over.
    EXPECT_EQ(
        std::vector<int>({canvas.at(0, 142), canvas.at(419, 141), canvas.at(200, 139), canvas.at(0, 15)}),
        std::vector<int>({0, 0, 4, 252}));
    EXPECT_EQ(canvas.pureBlueCorner(), std::make_pair(420, 15));

    // Any other direction: vertical bands from the right; the depth stays as found.
    plan = PaintGradient(state, 32, 1, 420, 143, 2);
    EXPECT_EQ(state.ScreenDepth, 8);
    canvas = Canvas(420, 143, plan);
    EXPECT_EQ(
        std::vector<int>({canvas.at(419, 0), canvas.at(412, 142), canvas.at(0, 70), canvas.unpainted()}),
        std::vector<int>({0, 4, 236, 0}));

    // Direction 3: the back colour only.
    plan = PaintGradient(state, 32, 1, 420, 143, GRADIENT_NONE);
    EXPECT_TRUE(plan.plainBackColour);
    EXPECT_TRUE(plan.fills.empty());
}

} // namespace
} // namespace tidorax
