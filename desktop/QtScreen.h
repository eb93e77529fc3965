// The screen as the windows of the program measure it: twips factors, the taskbar
// from the screen's geometry and available geometry, colours written &HBBGGRR.
#pragma once

#include "core/geometry/ScreenMetrics.h"

#include <QColor>

#include <cstdint>

class QScreen;

namespace tidorax {

// The metrics of a screen (the primary screen when none is given).
ScreenMetrics ScreenMetricsOf(const QScreen* screen = nullptr);

// Twips per pixel horizontally and vertically of a screen (the primary one when none
// is given); 15 without a screen.
double TwipsPerPixelX(const QScreen* screen = nullptr);
double TwipsPerPixelY(const QScreen* screen = nullptr);

// A colour written &HBBGGRR.
inline QColor ColourFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// Pixels for a length in twips, rounded to the nearest pixel.
int TwipsToPixels(double twips, double twipsPerPixel);

} // namespace tidorax
