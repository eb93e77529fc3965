#include "desktop/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tidorax {

void FitOnScreen(QWidget* window, bool centred) {
    const QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The frame counts too, as far as the platform knows it yet.
    (void)window->winId();
    const QMargins frame =
        window->windowHandle() != nullptr ? window->windowHandle()->frameMargins() : QMargins();
    const QRect area = screen->availableGeometry();
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize size = window->size().boundedTo(area.size() - frameSize);
    if (size != window->size()) {
        // The window's least size (its layout's, when it has one) gives way too.
        const QSize least = window->minimumSize().expandedTo(window->minimumSizeHint());
        window->setMinimumSize(least.boundedTo(size).expandedTo(QSize(1, 1)));
        window->resize(size);
    }
    const QSize outer = window->size() + frameSize;
    QPoint place = centred ? area.center() - QPoint(outer.width() / 2, outer.height() / 2) : window->pos();
    place.setX(std::clamp(place.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
    place.setY(std::clamp(place.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    window->move(place);
}

} // namespace tidorax
