#include "core/geometry/ScreenMetrics.h"

#include <cmath>
#include <limits>

namespace tidorax {

std::int64_t LastMouseX = 0;

namespace {

// Rounds to the nearest integer, halves to the even neighbour; nullopt when the value
// is not a number or does not fit into 32 bits.
std::optional<std::int32_t> roundToInt32(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

// One edge of the usable area along one axis. Size is the screen's extent in twips,
// factor the twips per pixel along the axis, low/high the taskbar's edges in pixels.
std::int32_t usableEdge(const ScreenMetrics& screen, double size, double factor, bool vertical) {
    const auto full = roundToInt32(size);
    if (!full) {
        return 0;
    }
    if (!TaskbarStateCheck(screen)) {
        return *full;
    }
    if (factor <= 0) {
        return *full;
    }
    const auto pixels = roundToInt32(size / factor);
    if (!pixels || !screen.taskbarPos) {
        return *full;
    }
    const TaskbarRect& bar = *screen.taskbarPos;
    const int low = vertical ? bar.top : bar.left;
    const int high = vertical ? bar.bottom : bar.right;
    const int extent = *pixels;
    std::optional<std::int32_t> edge = full;
    if (low <= 0 && high >= extent) {
        edge = full;
    } else if (low < 0 && high < extent) {
        edge = roundToInt32((static_cast<double>(extent) - high) * factor);
    } else if (low > 0 && high >= extent) {
        edge = roundToInt32(low * factor);
    }
    return edge.value_or(*full);
}

} // namespace

double TwipsPerPixel(double dotsPerInch) {
    return dotsPerInch > 0 ? 1440.0 / dotsPerInch : 15.0;
}

ScreenMetrics ScreenMetricsFromGeometry(int width, int height, int availableLeft, int availableTop,
                                        int availableWidth, int availableHeight, double dotsPerInchX,
                                        double dotsPerInchY) {
    ScreenMetrics screen;
    screen.twipsPerPixelX = TwipsPerPixel(dotsPerInchX);
    screen.twipsPerPixelY = TwipsPerPixel(dotsPerInchY);
    screen.widthTwips = width * screen.twipsPerPixelX;
    screen.heightTwips = height * screen.twipsPerPixelY;

    const int availableRight = availableLeft + availableWidth;
    const int availableBottom = availableTop + availableHeight;
    std::optional<TaskbarRect> bar;
    if (availableBottom < height) {
        bar = TaskbarRect{0, availableBottom, width, height};
    } else if (availableTop > 0) {
        bar = TaskbarRect{0, 0, width, availableTop};
    } else if (availableRight < width) {
        bar = TaskbarRect{availableRight, 0, width, height};
    } else if (availableLeft > 0) {
        bar = TaskbarRect{0, 0, availableLeft, height};
    }
    screen.taskbarState = bar ? ABS_ALWAYSONTOP : ABS_NONE;
    screen.taskbarPos = bar;
    return screen;
}

bool TaskbarStateCheck(const ScreenMetrics& screen) {
    return screen.taskbarState &&
           (*screen.taskbarState == ABS_AUTOHIDE || *screen.taskbarState == ABS_ALWAYSONTOP);
}

std::int32_t WorkAreaBottom(const ScreenMetrics& screen) {
    return usableEdge(screen, screen.heightTwips, screen.twipsPerPixelY, true);
}

std::int32_t WorkAreaRight(const ScreenMetrics& screen) {
    return usableEdge(screen, screen.widthTwips, screen.twipsPerPixelX, false);
}

} // namespace tidorax
