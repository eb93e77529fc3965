#include "desktop/QtScreen.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tidorax {

namespace {

const QScreen* orPrimary(const QScreen* screen) {
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

} // namespace

ScreenMetrics ScreenMetricsOf(const QScreen* screen) {
    screen = orPrimary(screen);
    if (screen == nullptr) {
        return ScreenMetricsFromGeometry(0, 0, 0, 0, 0, 0, 96, 96);
    }
    const QRect full = screen->geometry();
    const QRect available = screen->availableGeometry();
    return ScreenMetricsFromGeometry(full.width(), full.height(), available.x() - full.x(),
                                     available.y() - full.y(), available.width(), available.height(),
                                     screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

double TwipsPerPixelX(const QScreen* screen) {
    screen = orPrimary(screen);
    return screen != nullptr ? TwipsPerPixel(screen->logicalDotsPerInchX()) : 15.0;
}

double TwipsPerPixelY(const QScreen* screen) {
    screen = orPrimary(screen);
    return screen != nullptr ? TwipsPerPixel(screen->logicalDotsPerInchY()) : 15.0;
}

int TwipsToPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / (twipsPerPixel > 0 ? twipsPerPixel : 15.0)));
}

} // namespace tidorax
