// The screen routines of the count window: where the taskbar is and what that leaves
// of the screen. The desktop layer describes the screen once in a ScreenMetrics
// record; everything here is arithmetic on that record.
#pragma once

#include <cstdint>
#include <optional>

namespace tidorax {

// A taskbar rectangle in screen pixels, relative to the screen's own top-left corner.
struct TaskbarRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Taskbar states as the shell reports them.
inline constexpr int ABS_NONE = 0;
inline constexpr int ABS_AUTOHIDE = 1;
inline constexpr int ABS_ALWAYSONTOP = 2;

struct ScreenMetrics {
    double widthTwips = 0;
    double heightTwips = 0;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    // The taskbar state (0 neither, 1 auto-hide, 2 always on top, 3 both); nullopt when
    // the state cannot be asked.
    std::optional<int> taskbarState;
    // The taskbar rectangle in pixels; nullopt when its position cannot be asked.
    std::optional<TaskbarRect> taskbarPos;
};

// The horizontal position of the pointer at the last click on the tray icon, in
// twips. Wide enough for any screen.
extern std::int64_t LastMouseX;

// Twips per pixel for a logical resolution in dots per inch (15 at 96 dpi).
double TwipsPerPixel(double dotsPerInch);

// A screen described by its geometry and its available geometry (both in pixels,
// relative to the screen) at the given resolution: the space a panel reserves is
// the taskbar (state 2); no reserved space means no taskbar (state 0). A panel at the
// bottom wins over one at the top, and one at the right over one at the left.
ScreenMetrics ScreenMetricsFromGeometry(int width, int height, int availableLeft, int availableTop,
                                        int availableWidth, int availableHeight, double dotsPerInchX,
                                        double dotsPerInchY);

// True when the taskbar state is exactly 1 or 2.
bool TaskbarStateCheck(const ScreenMetrics& screen);
// The lowest vertical coordinate, in twips, that the count window may use.
std::int32_t WorkAreaBottom(const ScreenMetrics& screen);
// The rightmost horizontal coordinate, in twips, that the count window may use.
std::int32_t WorkAreaRight(const ScreenMetrics& screen);

} // namespace tidorax
