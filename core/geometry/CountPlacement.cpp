#include "core/geometry/CountPlacement.h"

#include <algorithm>

namespace tidorax {

CountPlacement PlaceCountWindow(StartedFrom from, std::int64_t lastMouseX, double width, double height,
                                const ScreenMetrics& screen) {
    CountPlacement placement;
    if (from == StartedFrom::TrayMenu) {
        placement.left = static_cast<double>(lastMouseX) - width / 2;
        // A click near the screen's edge still shows the whole count.
        placement.left = std::min(placement.left, WorkAreaRight(screen) - width);
        placement.left = std::max(placement.left, 0.0);
        placement.top = WorkAreaBottom(screen) - height;
        placement.backColour = COUNT_TRAY_BACK_COLOUR;
    } else {
        placement.left = (WorkAreaRight(screen) - width) / 2;
        placement.top = (WorkAreaBottom(screen) - height) / 2;
        placement.backColour = COUNT_OPTIONS_BACK_COLOUR;
        placement.hideOptionsWindow = true;
    }
    return placement;
}

std::string CountCaption(std::size_t filesBefore, std::size_t filesAfter) {
    const auto before = static_cast<long long>(filesBefore);
    const auto after = static_cast<long long>(filesAfter);
    return std::to_string(before - after);
}

} // namespace tidorax
