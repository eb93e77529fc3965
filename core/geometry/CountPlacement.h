// Where the count window goes, in which colour, and what it shows.
#pragma once

#include "core/StartedFrom.h"
#include "core/geometry/ScreenMetrics.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tidorax {

// Colours as &HBBGGRR.
inline constexpr std::uint32_t COUNT_TRAY_BACK_COLOUR = 0xC0E0FF;    // peach
inline constexpr std::uint32_t COUNT_OPTIONS_BACK_COLOUR = 0x808080; // grey

struct CountPlacement {
    double left = 0; // twips
    double top = 0;  // twips
    std::uint32_t backColour = COUNT_TRAY_BACK_COLOUR;
    // True when the options window is to be hidden while the count shows.
    bool hideOptionsWindow = false;
};

// From the tray menu: centred horizontally on LastMouseX (relative to the screen) but
// kept within the usable width, the bottom edge on the top of a bottom taskbar, peach.
// From the options window: centred in the usable area, grey, with the options window
// hidden. Width and height are the count window's
// outer size in twips.
CountPlacement PlaceCountWindow(StartedFrom from, std::int64_t lastMouseX, double width, double height,
                                const ScreenMetrics& screen);

// The count of files a run removed: entries before minus entries after, in decimal,
// negative when more files were found after the run.
std::string CountCaption(std::size_t filesBefore, std::size_t filesAfter);

} // namespace tidorax
