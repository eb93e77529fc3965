#include "core/geometry/CountPlacement.h"
#include "core/geometry/Gradient.h"
#include "core/geometry/ScreenMetrics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tidorax {
namespace {

// The blue level of every pixel after the fills, as the system's FillRect paints
// them (clipped to the area); -1 where nothing was painted.
struct Canvas {
    int width;
    std::vector<int> blue;
    Canvas(int w, int h, const GradientPlan& plan) : width(w), blue(static_cast<size_t>(w * h), -1) {
        for (const GradientFill& fill : plan.fills) {
            for (int y = std::max(fill.top, 0); y < std::min(fill.bottom, h); ++y) {
                for (int x = std::max(fill.left, 0); x < std::min(fill.right, w); ++x) {
                    blue[static_cast<size_t>(y * w + x)] = fill.blue;
                }
            }
        }
    }
    int at(int x, int y) const { return blue[static_cast<size_t>(y * width + x)]; }
    int count(int level) const { return static_cast<int>(std::count(blue.begin(), blue.end(), level)); }
};

TEST(Gradient, DepthDecidesTheBandsOfTheDesignArea) {
    // The design client area at 15 twips per pixel is 420 x 143 pixels.
    struct Case {
        int bitsPerPixel, planes, topLeftBlue, pureBlue; // pixels of the pure blue rest
        int colourStep, rowStep, colStep;                // of each band
    };
    const Case cases[] = {{32, 1, 142, 0, 1, 1, 2},
                          {15, 1, 255, 4 * 15, 8, 4, 13},
                          {12, 1, 236, 0, 4, 2, 7}, // an unknown depth counts as 4
                          {1, 8, 236, 0, 4, 2, 7}};
    for (const Case& c : cases) {
        GradientState state;
        const GradientPlan plan = PaintGradient(state, c.bitsPerPixel, c.planes, 420, 143, GRADIENT_CORNER);
        // All painted, the bottom-right corner black; band 1 (the second pair of fills) an L of RowStep
        // rows along the bottom and ColStep columns along the right.
        const Canvas canvas(420, 143, plan);
        const GradientFill &row = plan.fills.at(2), &column = plan.fills.at(3);
        // Unpainted pixels, the bottom-right and top-left corners, the pure blue pixels; band 1's
        // colour, rows and columns.
        EXPECT_EQ(std::vector({canvas.count(-1), canvas.at(419, 142), canvas.at(0, 0), canvas.count(255),
                               row.blue, row.top, row.bottom, column.left, column.right}),
                  std::vector({0, 0, c.topLeftBlue, c.pureBlue, c.colourStep, 143 - 2 * c.rowStep,
                               143 - c.rowStep, 420 - 2 * c.colStep, 420 - c.colStep}))
            << c.bitsPerPixel;
    }
}

TEST(Gradient, TheDirectionDecidesTheBands) {
    GradientState tiny, state;
    EXPECT_EQ(Canvas(40, 20, PaintGradient(tiny, 32, 1, 40, 20, GRADIENT_CORNER)).count(255), 40 * 20);
    Canvas canvas(420, 143, PaintGradient(state, 8, 1, 420, 143, GRADIENT_HORIZONTAL));
    // Horizontal bands from the bottom up, two rows each; the top row is left over.
    EXPECT_EQ(std::vector<int>({canvas.at(0, 142), canvas.at(419, 141), canvas.at(200, 139), canvas.at(0, 15),
                                canvas.count(255), canvas.at(0, 14)}),
              std::vector<int>({0, 0, 4, 252, 420 * 15, 255}));

    // Any other direction: vertical bands from the right; the depth stays as found.
    canvas = Canvas(420, 143, PaintGradient(state, 32, 1, 420, 143, 2));
    EXPECT_EQ(state.ScreenDepth, 8);
    EXPECT_EQ(std::vector<int>({canvas.at(419, 0), canvas.at(412, 142), canvas.at(0, 70), canvas.count(-1)}),
              std::vector<int>({0, 4, 236, 0}));

    // Direction 3: the back colour only.
    const GradientPlan plain = PaintGradient(state, 32, 1, 420, 143, GRADIENT_NONE);
    EXPECT_TRUE(plain.plainBackColour && plain.fills.empty());
}

ScreenMetrics screen1024x768(std::optional<int> state, std::optional<TaskbarRect> bar,
                             double twipsPerPixelY = 15) {
    return {1024 * 15, 768 * 15, 15, twipsPerPixelY, state, bar};
}

TEST(ScreenMetrics, WorkAreaEdgesFollowTheTaskbar) {
    // What, the taskbar's state and position, then the bottom and right edges of the work area.
    const std::tuple<const char*, std::optional<int>, std::optional<TaskbarRect>, std::int32_t, std::int32_t>
        cases[] = {
            {"right taskbar 40 pixels wide", 2, TaskbarRect{984, 0, 1024, 768}, 768 * 15, 984 * 15},
            {"top taskbar partly off the screen", 2, TaskbarRect{0, -28, 1024, 2}, (768 - 2) * 15, 1024 * 15},
            {"top taskbar at the edge", 2, TaskbarRect{0, 0, 1024, 30}, 768 * 15, 1024 * 15},
            {"state 3: position not asked", 3, TaskbarRect{0, 738, 1024, 768}, 768 * 15, 1024 * 15},
            {"position call fails", 2, std::nullopt, 768 * 15, 1024 * 15},
        };
    for (const auto& [what, state, bar, bottom, right] : cases) {
        const ScreenMetrics screen = screen1024x768(state, bar);
        EXPECT_EQ(std::pair(WorkAreaBottom(screen), WorkAreaRight(screen)), std::pair(bottom, right)) << what;
    }
    // A broken screen description gives the full screen: no pixel size, or one whose pixel count overflows.
    EXPECT_EQ(WorkAreaBottom(screen1024x768(2, TaskbarRect{0, 738, 1024, 768}, 0)), 768 * 15);
    EXPECT_EQ(WorkAreaBottom(screen1024x768(2, TaskbarRect{0, 738, 1024, 768}, 1e-300)), 768 * 15);
}

TEST(ScreenMetrics, GeometryAndAvailableGeometryDescribeTheTaskbar) {
    // What, the available geometry (left, top, width, height), then the taskbar's state and position.
    const std::tuple<const char*, int, int, int, int, int, std::optional<TaskbarRect>> cases[] = {
        {"no panel", 0, 0, 1280, 800, 0, std::nullopt},
        {"bottom panel of 32", 0, 0, 1280, 768, 2, TaskbarRect{0, 768, 1280, 800}},
        {"top panel of 32", 0, 32, 1280, 768, 2, TaskbarRect{0, 0, 1280, 32}},
        {"right panel of 48", 0, 0, 1232, 800, 2, TaskbarRect{1232, 0, 1280, 800}},
        {"left panel of 48", 48, 0, 1232, 800, 2, TaskbarRect{0, 0, 48, 800}},
        {"top and bottom panels: the bottom one", 0, 24, 1280, 744, 2, TaskbarRect{0, 768, 1280, 800}},
    };
    const auto corners = [](const std::optional<TaskbarRect>& r) {
        return r ? std::vector<int>{r->left, r->top, r->right, r->bottom} : std::vector<int>{};
    };
    for (const auto& [what, left, top, width, height, state, bar] : cases) {
        const ScreenMetrics screen = ScreenMetricsFromGeometry(1280, 800, left, top, width, height, 96, 96);
        EXPECT_EQ(std::tuple(screen.widthTwips, screen.heightTwips, screen.taskbarState,
                             corners(screen.taskbarPos)),
                  std::tuple(1280.0 * 15, 800.0 * 15, std::optional<int>(state), corners(bar)))
            << what;
    }
    // A bottom panel leaves the work area above it; at 120 dpi a pixel is 12 twips.
    const ScreenMetrics hiDpi = ScreenMetricsFromGeometry(1280, 800, 0, 0, 1280, 768, 120, 120);
    EXPECT_EQ(WorkAreaBottom(hiDpi), 768 * 12);
}

// The count window at the click, centred for the options window and on a wide
// desktop are checked on the window itself (tests/desktop/windows).
TEST(CountPlacement, NearTheScreenEdgesTheWholeWindowStaysOnTheScreen) {
    const ScreenMetrics screen = screen1024x768(2, TaskbarRect{0, 738, 1024, 768});
    for (const auto& [lastMouseX, left] : {std::pair{1020 * 15, 1024 * 15 - 1335}, {5 * 15, 0}}) {
        const CountPlacement placement =
            PlaceCountWindow(StartedFrom::TrayMenu, lastMouseX, 1335, 750, screen);
        EXPECT_EQ(std::pair(placement.left, placement.top), std::pair(double(left), 738 * 15 - 750.0))
            << lastMouseX;
    }
}

// The count is the difference, with no wrap at 16 bits either way.
TEST(CountPlacement, TheCaptionIsTheDifference) {
    EXPECT_EQ(std::vector<std::string>({CountCaption(3, 5), CountCaption(40000, 1), CountCaption(0, 70000)}),
              std::vector<std::string>({"-2", "39999", "-70000"}));
}

} // namespace
} // namespace tidorax
