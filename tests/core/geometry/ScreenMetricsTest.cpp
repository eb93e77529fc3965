#include "core/geometry/ScreenMetrics.h"
#include "core/geometry/CountPlacement.h"

#include <gtest/gtest.h>

namespace tidorax {
namespace {

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
}

TEST(ScreenMetrics, ABrokenScreenDescriptionGivesTheFullScreen) {
    ScreenMetrics screen = screen1024x768(2, TaskbarRect{0, 738, 1024, 768});
    screen.twipsPerPixelY = 0;
    EXPECT_EQ(WorkAreaBottom(screen), 768 * 15);
    screen = screen1024x768(2, TaskbarRect{0, 738, 1024, 768});
    screen.twipsPerPixelY = 1e-300; // the pixel count overflows
    EXPECT_EQ(WorkAreaBottom(screen), 768 * 15);
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

TEST(CountPlacement, TrayRunsSitOnTheTaskbarAtTheClickOptionsRunsAreCentred) {
    const ScreenMetrics screen = screen1024x768(2, TaskbarRect{0, 738, 1024, 768});
    // 45000 twips (x = 3000 pixels) does not fit into 16 bits; on a 3840-pixel desktop
    // the window is centred on it all the same.
    const ScreenMetrics wide = ScreenMetricsFromGeometry(3840, 1080, 0, 0, 3840, 1040, 96, 96);
    struct Case {
        StartedFrom from;
        std::int64_t lastMouseX;
        const ScreenMetrics& screen;
        double left, top;
        std::uint32_t colour;
        bool hidesOptions;
    };
    const Case cases[] = {
        {StartedFrom::TrayMenu, 9000, screen, 9000 - 1335 / 2.0, 738 * 15 - 750, 0xC0E0FF, false},
        {StartedFrom::TrayMenu, 45000, wide, 45000 - 1335 / 2.0, 1040 * 15 - 750, 0xC0E0FF, false},
        // Near the edges the whole window stays on the screen.
        {StartedFrom::TrayMenu, 1020 * 15, screen, 1024 * 15 - 1335, 738 * 15 - 750, 0xC0E0FF, false},
        {StartedFrom::TrayMenu, 5 * 15, screen, 0, 738 * 15 - 750, 0xC0E0FF, false},
        {StartedFrom::OptionsWindow, 9000, screen, (1024 * 15 - 1335) / 2.0, (738 * 15 - 750) / 2.0, 0x808080,
         true},
    };
    for (const Case& c : cases) {
        const CountPlacement placement = PlaceCountWindow(c.from, c.lastMouseX, 1335, 750, c.screen);
        EXPECT_EQ(
            std::tuple(placement.left, placement.top, placement.backColour, placement.hideOptionsWindow),
            std::tuple(c.left, c.top, c.colour, c.hidesOptions))
            << static_cast<int>(c.from) << " " << c.lastMouseX;
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
