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
    int width, height;
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
    int count(int level) const { return static_cast<int>(std::count(blue.begin(), blue.end(), level)); }
    // Width and height of the pure blue area at the top-left corner.
    std::pair<int, int> pureBlueCorner() const {
        int w = 0, h = 0;
        while (w < width && at(w, 0) == 255) {
            ++w;
        }
        while (h < height && at(0, h) == 255) {
            ++h;
        }
        return {w, h};
    }
};

TEST(Gradient, DepthDecidesTheBandsOfTheDesignArea) {
    // The design client area at 15 twips per pixel is 420 x 143 pixels.
    struct Case {
        int bitsPerPixel, planes, depth, steps, topLeftBlue;
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
        EXPECT_EQ(canvas.count(-1), 0) << c.bitsPerPixel;
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

TEST(Gradient, DirectionsTinyAreasAndTheRememberedDepth) {
    GradientState tiny, state;
    EXPECT_EQ(Canvas(40, 20, PaintGradient(tiny, 32, 1, 40, 20, GRADIENT_CORNER)).count(255), 40 * 20);
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
    EXPECT_EQ(std::vector<int>({canvas.at(419, 0), canvas.at(412, 142), canvas.at(0, 70), canvas.count(-1)}),
              std::vector<int>({0, 4, 236, 0}));

    // Direction 3: the back colour only.
    plan = PaintGradient(state, 32, 1, 420, 143, GRADIENT_NONE);
    EXPECT_TRUE(plan.plainBackColour);
    EXPECT_TRUE(plan.fills.empty());
}

ScreenMetrics screen1024x768(std::optional<int> state, std::optional<TaskbarRect> bar) {
    ScreenMetrics screen;
    screen.widthTwips = 1024 * 15;
    screen.heightTwips = 768 * 15;
    screen.twipsPerPixelX = 15;
    screen.twipsPerPixelY = 15;
    screen.taskbarState = state;
    screen.taskbarPos = bar;
    return screen;
}

TEST(ScreenMetrics, WorkAreaEdgesFollowTheTaskbar) {
    // What, the taskbar's state and position, then the bottom and right edges of the work area.
    const std::tuple<const char*, std::optional<int>, std::optional<TaskbarRect>, std::int32_t, std::int32_t>
        cases[] = {
            {"bottom taskbar from pixel 738", 2, TaskbarRect{0, 738, 1024, 768}, 738 * 15, 1024 * 15},
            {"right taskbar 40 pixels wide", 2, TaskbarRect{984, 0, 1024, 768}, 768 * 15, 984 * 15},
            {"auto-hide bottom taskbar", 1, TaskbarRect{0, 738, 1024, 768}, 738 * 15, 1024 * 15},
            {"top taskbar partly off the screen", 2, TaskbarRect{0, -28, 1024, 2}, (768 - 2) * 15, 1024 * 15},
            {"left taskbar partly off the screen", 2, TaskbarRect{-20, 0, 10, 768}, 768 * 15,
             (1024 - 10) * 15},
            {"top taskbar at the edge", 2, TaskbarRect{0, 0, 1024, 30}, 768 * 15, 1024 * 15},
            {"taskbar touching no edge", 2, TaskbarRect{100, 100, 200, 200}, 768 * 15, 1024 * 15},
            {"state 3: position not asked", 3, TaskbarRect{0, 738, 1024, 768}, 768 * 15, 1024 * 15},
            {"state 0: position not asked", 0, TaskbarRect{0, 738, 1024, 768}, 768 * 15, 1024 * 15},
            {"state 4: position not asked", 4, TaskbarRect{0, 738, 1024, 768}, 768 * 15, 1024 * 15},
            {"state unknown", std::nullopt, TaskbarRect{0, 738, 1024, 768}, 768 * 15, 1024 * 15},
            {"position call fails", 2, std::nullopt, 768 * 15, 1024 * 15},
        };
    for (const auto& [what, state, bar, bottom, right] : cases) {
        const ScreenMetrics screen = screen1024x768(state, bar);
        EXPECT_EQ(std::pair(WorkAreaBottom(screen), WorkAreaRight(screen)), std::pair(bottom, right)) << what;
    }
    // A broken screen description gives the full screen: no pixel size, or one whose pixel count overflows.
    for (const double twipsPerPixel : {0.0, 1e-300}) {
        ScreenMetrics screen = screen1024x768(2, TaskbarRect{0, 738, 1024, 768});
        screen.twipsPerPixelY = twipsPerPixel;
        EXPECT_EQ(WorkAreaBottom(screen), 768 * 15) << twipsPerPixel;
    }
}

TEST(ScreenMetrics, GeometryAndAvailableGeometryDescribeTheTaskbar) {
    struct Case {
        const char* what;
        int availableLeft, availableTop, availableWidth, availableHeight;
        int state;
        std::optional<TaskbarRect> bar;
    };
    const Case cases[] = {
        {"no panel", 0, 0, 1280, 800, 0, std::nullopt},
        {"bottom panel of 32", 0, 0, 1280, 768, 2, TaskbarRect{0, 768, 1280, 800}},
        {"top panel of 32", 0, 32, 1280, 768, 2, TaskbarRect{0, 0, 1280, 32}},
        {"right panel of 48", 0, 0, 1232, 800, 2, TaskbarRect{1232, 0, 1280, 800}},
        {"left panel of 48", 48, 0, 1232, 800, 2, TaskbarRect{0, 0, 48, 800}},
        {"top and bottom panels: the bottom one", 0, 24, 1280, 744, 2, TaskbarRect{0, 768, 1280, 800}},
    };
    for (const Case& c : cases) {
        const ScreenMetrics screen = ScreenMetricsFromGeometry(1280, 800, c.availableLeft, c.availableTop,
                                                               c.availableWidth, c.availableHeight, 96, 96);
        EXPECT_EQ(std::pair(screen.widthTwips, screen.heightTwips), std::pair(1280.0 * 15, 800.0 * 15))
            << c.what;
        EXPECT_EQ(screen.taskbarState, c.state) << c.what;
        const auto corners = [](const std::optional<TaskbarRect>& r) {
            return r ? std::vector<int>{r->left, r->top, r->right, r->bottom} : std::vector<int>{};
        };
        EXPECT_EQ(corners(screen.taskbarPos), corners(c.bar)) << c.what;
    }
    // A bottom panel leaves the work area above it; at 120 dpi a pixel is 12 twips.
    const ScreenMetrics hiDpi = ScreenMetricsFromGeometry(1280, 800, 0, 0, 1280, 768, 120, 120);
    EXPECT_EQ(hiDpi.twipsPerPixelX, 12);
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
    // The count is the difference, with no wrap at 16 bits either way.
    for (const auto& [before, after, caption] :
         {std::tuple<std::size_t, std::size_t, const char*>{3, 5, "-2"},
          {40000, 1, "39999"},
          {0, 70000, "-70000"}}) {
        EXPECT_EQ(CountCaption(before, after), caption);
    }
}

} // namespace
} // namespace tidorax
